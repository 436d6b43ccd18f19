#include "modemsim/decimal.h"

namespace modemsim {

std::optional<long> ParseDecimal(std::string_view text) {
    if (text.empty() || text.size() > kMaxDecimalDigits) {
        return std::nullopt;
    }
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<long> ParseDecimalIn(std::string_view text, long low, long high) {
    const std::optional<long> value = ParseDecimal(text);
    return value && *value >= low && *value <= high ? value : std::nullopt;
}

}  // namespace modemsim
