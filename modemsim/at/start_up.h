#pragma once
// How the modem comes up, and what it refuses until then. Pure logic over the state: the
// simulator keeps the time (ModemState::bootMs) and calls these under the model's lock.
//
// At power-on the module prints its row's power-on line at once (boot_profile.h) and starts up;
// bootMs later it prints its row's "started" line, the SIM's line and, with a SIM that asks for
// nothing more, its "ready" lines:
//   \r\nRDY\r\n  ...  \r\n+CFUN: 1\r\n\r\n+CPIN: READY\r\n\r\nCall Ready\r\n\r\nSMS Ready\r\n
// A locked SIM says so instead ("+CPIN: SIM PIN") and the "ready" lines wait for the right PIN,
// after which the module reads the SIM for bootMs again. Meanwhile the commands that need a
// started module are refused as the row says, the SIM's own included.

#include <cstdint>
#include <optional>
#include <string>

#include "modemsim/at/commands.h"
#include "modemsim/at/modem_state.h"
#include "modemsim/at/reply.h"

namespace modemsim {

// Starts up after PowerOn: the framed power-on lines.
std::string BeginBoot(ModemState& state);
// After the right PIN.
void BeginSimRead(ModemState& state);
// Ends the start-up of `generation`: the framed lines the module then prints. Nothing for one
// that has ended, or that a later one has overtaken.
std::string FinishStartUp(ModemState& state, std::uint64_t generation);

// The answer to a command that needs what the module lacks: while starting up, the row's
// refusal; with the SIM out or locked, the error of the command's family. Nothing when it may run.
std::optional<Reply> Refusal(const ModemState& state, Needs needs);

// As AT+CPIN? and the start-up line give it: "READY", "SIM PIN", "SIM PUK", "NOT INSERTED".
const char* PinCode(SimStatus status);

}  // namespace modemsim
