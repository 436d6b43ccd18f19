#pragma once
// Runs one command line against the modem state: parses it, looks each command up in the table
// (command_handlers.h) and joins the answers. Commands run in order; the first that fails ends
// the line with its error, the information text of those before it still shown. The faults
// "ERROR to everything" and "ERROR to one command" answer ERROR without running anything.

#include <optional>
#include <string_view>

#include "modemsim/modem_state.h"
#include "modemsim/reply.h"

namespace modemsim {

// Nothing for a line that does not start with "AT": the modem ignores it.
std::optional<Reply> ExecuteLine(ModemState& state, std::string_view line);

// Whether the command table has a row for name ("+CMGS", "E").
bool IsKnownCommand(const std::string& name);

}  // namespace modemsim
