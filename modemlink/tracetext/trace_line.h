#pragma once
// One line of a dialogue trace: seconds since the tracer started, the direction ('<' towards the
// modem, '>' from it, '!' for what befell the modem) and the bytes escaped as in byte_escapes.h.
// The programs and the simulated modem write the same lines, so one reader serves both traces:
//   [   3.106] < AT+CMGF=1\r
//   [   3.107] > AT+CMGF=1\r\r\nOK\r\n
// Pure; any thread.

#include <string>
#include <string_view>

namespace tracetext {

// The stamp is at least 8 characters wide, with milliseconds; a longer run widens it.
std::string TraceLine(double seconds, char direction, std::string_view bytes);

}  // namespace tracetext
