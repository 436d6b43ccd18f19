#pragma once
// The comma-separated arguments of a set command: numbers, and strings in double quotes that may
// hold commas. An argument left out stays empty and unquoted:
//   "+123",145   ->  {"+123", quoted}, {"145"}
//   ,,1          ->  {""}, {""}, {"1"}

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

struct AtArg {
    std::string text;  // without the quotes
    bool quoted = false;

    bool Omitted() const { return !quoted && text.empty(); }
};

// Nothing when a quote is left open or text follows a closing quote.
std::optional<std::vector<AtArg>> SplitArgs(std::string_view args);

// A number of at most nine decimal digits; nothing for anything else, a quoted one included.
std::optional<long> ToNumber(const AtArg& arg);

// The number of a basic command ("E1" -> 1); no digits count as 0.
std::optional<long> BasicNumber(const std::string& digits);

}  // namespace modemsim
