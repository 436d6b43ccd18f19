#pragma once
// Hexadecimal digits for UCS2 text and for escaped bytes: upper case out, either case in.

#include <optional>

namespace modemsim {

// The digit of the low four bits of value.
char HexDigit(unsigned value);
// Nothing for a character that is not a hex digit.
std::optional<unsigned> HexValue(char c);

}  // namespace modemsim
