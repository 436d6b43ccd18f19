#pragma once
// The console's views of the modem state, as text for people:
//   storage (1 of 20):
//      3  REC UNREAD  +393351391306  24/05/01,12:30:00+00  hello
//   outbox (1):
//     mr 1  to +393351391306  hello\r\n

#include <string>

#include "modemsim/modem_state.h"

namespace modemsim {

std::string ListReport(const ModemState& state);
std::string StatusReport(const ModemState& state, const std::string& devicePath);

}  // namespace modemsim
