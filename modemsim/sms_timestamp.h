#pragma once
// The service-centre time stamp of a received message as the modem shows it, in UTC:
//   2024-05-01 12:30:00 UTC  ->  "24/05/01,12:30:00+00"
// (the last field is the zone in quarter hours).

#include <chrono>
#include <string>

namespace modemsim {

std::string SmsTimestamp(std::chrono::system_clock::time_point when);

}  // namespace modemsim
