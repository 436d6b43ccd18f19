#pragma once
// The reason of a failed modem command, as one line on stderr, whatever the window shows:
//   quillet: send failed: AT+CMGS: +CMS ERROR: 330 (SMSC address unknown)
// what: the user's action ("send", "dial"); reason: the channel's LastFailure.

#include <string>

namespace platform {

void ReportCommandFailure(const std::string& what, const std::string& reason);

}  // namespace platform
