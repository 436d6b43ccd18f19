#include "modemsim/hex_digits.h"

namespace modemsim {

char HexDigit(unsigned value) {
    return "0123456789ABCDEF"[value & 0xFU];
}

std::optional<unsigned> HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    return std::nullopt;
}

}  // namespace modemsim
