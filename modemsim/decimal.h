#pragma once
// The one reader of decimal numbers for AT arguments, console verbs and program options: plain
// digits, no sign, no spaces, and short enough that no overflow is possible.

#include <cstddef>
#include <optional>
#include <string_view>

namespace modemsim {

inline constexpr std::size_t kMaxDecimalDigits = 9;

// Nothing unless text is 1 to kMaxDecimalDigits digits.
std::optional<long> ParseDecimal(std::string_view text);
// As ParseDecimal, and nothing outside [low, high].
std::optional<long> ParseDecimalIn(std::string_view text, long low, long high);

}  // namespace modemsim
