#include "modemsim/at_args.h"

#include "modemsim/decimal.h"

namespace modemsim {
namespace {

std::optional<AtArg> ParseQuoted(std::string_view field) {
    if (field.size() < 2 || field.back() != '"') {
        return std::nullopt;
    }
    AtArg arg;
    arg.text = std::string(field.substr(1, field.size() - 2));
    arg.quoted = true;
    if (arg.text.find('"') != std::string::npos) {
        return std::nullopt;
    }
    return arg;
}

std::optional<AtArg> ParseField(std::string_view field) {
    if (!field.empty() && field.front() == '"') {
        return ParseQuoted(field);
    }
    if (field.find('"') != std::string_view::npos) {
        return std::nullopt;
    }
    AtArg arg;
    arg.text = std::string(field);
    return arg;
}

}  // namespace

std::optional<std::vector<AtArg>> SplitArgs(std::string_view args) {
    std::vector<AtArg> result;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t pos = 0; pos <= args.size(); ++pos) {
        if (pos < args.size() && (quoted || args[pos] != ',')) {
            quoted = quoted != (args[pos] == '"');
            continue;
        }
        std::optional<AtArg> arg = ParseField(args.substr(start, pos - start));
        if (!arg) {
            return std::nullopt;
        }
        result.push_back(std::move(*arg));
        start = pos + 1;
    }
    return result;
}

std::optional<long> ToNumber(const AtArg& arg) {
    return arg.quoted ? std::nullopt : ParseDecimal(arg.text);
}

std::optional<long> BasicNumber(const std::string& digits) {
    return digits.empty() ? 0L : ParseDecimal(digits);
}

}  // namespace modemsim
