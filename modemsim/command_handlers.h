#pragma once
// The table of AT commands the modem knows. Each row names a command and its handler for each of
// the four forms; a form without a handler answers ERROR. Handlers run under the model's lock
// (modem_model.h): they change the state and say what to answer, nothing more.

#include <vector>

#include "modemsim/at_command.h"
#include "modemsim/modem_state.h"
#include "modemsim/reply.h"

namespace modemsim {

using Handler = Reply (*)(ModemState& state, const AtCommand& command);

struct CommandEntry {
    const char* name;
    Handler exec;
    Handler read;
    Handler test;
    Handler set;
};

// The test form of a command that takes no listing of its values: it only says the command
// exists ("AT+CMGS=?" -> OK).
Reply Supported(ModemState& state, const AtCommand& command);

// E, Z, &F, A, D, H
const std::vector<CommandEntry>& BasicCommands();
// +IPR, +CREG, +CLIP, +CHUP
const std::vector<CommandEntry>& NetworkCommands();
// +CMGF, +CSCS, +CSCA
const std::vector<CommandEntry>& SmsSettingCommands();
// +CMGR, +CMGD, +CMGS
const std::vector<CommandEntry>& SmsMessageCommands();

}  // namespace modemsim
