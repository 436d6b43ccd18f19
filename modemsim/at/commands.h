#pragma once
// Runs one command line against the modem state: parses it, looks each command up in the table
// (below) and joins the answers. Commands run in order; the first that fails ends
// the line with its error, the information text of those before it still shown. The faults
// "ERROR to everything" and "ERROR to one command" answer ERROR without running anything.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/modem_state.h"
#include "modemsim/at/reply.h"

namespace modemsim {

// Nothing for a line that does not start with "AT": the modem ignores it.
std::optional<Reply> ExecuteLine(ModemState& state, std::string_view line);

// Whether the command table has a row for name ("+CMGS", "E").
bool IsKnownCommand(const std::string& name);

// The table of AT commands the modem knows. Each row names a command and its handler for each of
// the four forms; a form without a handler answers ERROR. Handlers run under the model's lock
// (modem_state.h): they change the state and say what to answer, nothing more. A row also says
// what the command needs (start_up.h): in none of its forms does it run without.

using Handler = Reply (*)(ModemState& state, const AtCommand& command);

enum class Needs {
    kNothing,
    kStartedUp,       // refused while the module starts up
    kSim,             // also refused with +CME ERROR: 10/11/12 while the SIM is out or locked
    kMessageService,  // also refused with +CMS ERROR: 310/311/316 while the SIM is out or locked
};

struct CommandEntry {
    const char* name;
    Handler exec;
    Handler read;
    Handler test;
    Handler set;
    Needs needs = Needs::kNothing;
};

// The test form of a command that takes no listing of its values: it only says the command
// exists ("AT+CMGS=?" -> OK).
Reply Supported(ModemState& state, const AtCommand& command);

// E, Z, &F, A, D, H
const std::vector<CommandEntry>& BasicCommands();
// +IPR, +CREG, +CLIP, +CHUP
const std::vector<CommandEntry>& NetworkCommands();
// I, +CGMI, +CGMM, +CGMR, +CGSN (and +GMI, +GMM, +GMR, +GSN), +CSQ, +COPS, +CFUN, +CMEE
const std::vector<CommandEntry>& EquipmentCommands();
// +CPIN, +CPINR, +CIMI
const std::vector<CommandEntry>& SimCommands();
// +CMGF, +CSCS, +CSDH, +CSMP, +CSCA, +CSMS
const std::vector<CommandEntry>& SmsSettingCommands();
// +CMGR, +CMGD, +CMGS
const std::vector<CommandEntry>& SmsMessageCommands();
// +CPMS, +CMGL, +CNMI, +CNMA
const std::vector<CommandEntry>& SmsStorageCommands();

// The end of AT+CMGS: the text that came after the "> " prompt is sent, or the sending is
// cancelled. Runs under the model's lock like the command handlers.
//
// The text is kept as the terminal typed it, a trailing CR LF included: a program that writes
// "hello\r\n\x1A" sends "hello\r\n" to the network, as with real modules that keep it.

// Files the message in the outbox: "\r\n+CMGS: <mr>\r\n\r\nOK\r\n", or the injected
// "+CMS ERROR: <n>" (then nothing is filed).
Reply FinishSend(ModemState& state, const std::string& text);
// The text went past the bound: nothing is sent.
Reply RejectOversizedSend(ModemState& state);
// ESC: nothing is sent and the modem says OK, as most modules do; the next line is a command.
Reply CancelSend(ModemState& state);

}  // namespace modemsim
