#pragma once
// Bytes shown as readable text and read back from it, for the dialogue traces of the programs and
// the simulated modem, and for the simulator's console:
//   \r  \n  \t  \0  \\   \e (ESC)  \z (Ctrl-Z)   \xHH for any other control byte or byte >= 0x80
//   "AT+CMGS=\"1\"\r"  ->  AT+CMGS="1"\r        "hi\r\n\x1A"  ->  hi\r\n\z

#include <optional>
#include <string>
#include <string_view>

namespace tracetext {

std::string EscapeBytes(std::string_view bytes);
// A message's text for a person at a terminal: its characters as typed (UTF-8), everything else
// escaped as above, so a stored control character or a C1 code (U+009B starts a terminal's
// escape sequence) cannot steer the terminal, and a broken sequence shows its bytes.
//   "中\x1B[2J"  ->  中\e[2J
std::string EscapeText(std::string_view text);
// Nothing for an unknown escape or a \x without two hex digits.
std::optional<std::string> UnescapeBytes(std::string_view text);

}  // namespace tracetext
