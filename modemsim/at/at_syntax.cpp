#include "modemsim/at/at_syntax.h"

#include <algorithm>
#include <cctype>

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

bool IsAddress(const std::string& number) {
    return !number.empty() && number.size() <= 20 &&
           std::all_of(number.begin(), number.end(), [](char c) {
               return (c >= '0' && c <= '9') || c == '+' || c == '*' || c == '#';
           });
}

bool IsSenderName(const std::string& sender) {
    return !sender.empty() && sender.size() <= 32 &&
           std::none_of(sender.begin(), sender.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\x7F';
           });
}

int NumberType(std::string_view number) {
    return !number.empty() && number.front() == '+' ? 145 : 129;
}

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

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
bool IsAlpha(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsNameChar(char c) {
    return IsAlpha(c) || IsDigit(c) || c == '!' || c == '%' || c == '-' || c == '.' || c == '/' ||
           c == ':' || c == '_';
}

// The line after "AT" without the spaces that stand outside quotes.
std::string Compact(std::string_view body) {
    std::string compact;
    bool quoted = false;
    for (char c : body) {
        quoted = quoted != (c == '"');
        if (quoted || c != ' ') {
            compact.push_back(c);
        }
    }
    return compact;
}

// The arguments of a set command: up to a ';' outside quotes, or the end.
std::string TakeArguments(const std::string& body, std::size_t& pos) {
    const std::size_t start = pos;
    bool quoted = false;
    while (pos < body.size() && (quoted || body[pos] != ';')) {
        quoted = quoted != (body[pos] == '"');
        ++pos;
    }
    return body.substr(start, pos - start);
}

std::optional<AtCommand> ParseExtended(const std::string& body, std::size_t& pos) {
    AtCommand command;
    command.name = "+";
    for (++pos; pos < body.size() && IsNameChar(body[pos]); ++pos) {
        command.name.push_back(Upper(body[pos]));
    }
    if (command.name.size() == 1) {
        return std::nullopt;
    }
    const std::string_view rest = std::string_view(body).substr(pos);
    if (rest.rfind("=?", 0) == 0) {
        command.form = CommandForm::kTest;
        pos += 2;
    } else if (rest.rfind('?', 0) == 0) {
        command.form = CommandForm::kRead;
        pos += 1;
    } else if (rest.rfind('=', 0) == 0) {
        command.form = CommandForm::kSet;
        pos += 1;
        command.args = TakeArguments(body, pos);
    }
    if (pos < body.size() && body[pos] != ';') {
        return std::nullopt;
    }
    return command;
}

std::optional<AtCommand> ParseBasic(const std::string& body, std::size_t& pos) {
    AtCommand command;
    if (body[pos] == '&') {
        command.name.push_back('&');
        ++pos;
    }
    if (pos >= body.size() || !IsAlpha(body[pos])) {
        return std::nullopt;
    }
    command.name.push_back(Upper(body[pos++]));
    if (command.name == "D") {
        command.args = body.substr(pos);
        pos = body.size();
        return command;
    }
    while (pos < body.size() && IsDigit(body[pos])) {
        command.args.push_back(body[pos++]);
    }
    return command;
}

// A letter with nothing but digits after it, as "E0" or "H": written without its "AT".
bool IsBasicCommand(const std::string& name) {
    return IsAlpha(name[0]) && std::all_of(name.begin() + 1, name.end(), IsDigit);
}

}  // namespace

bool HasAtPrefix(std::string_view line) {
    return line.size() >= 2 && Upper(line[0]) == 'A' && Upper(line[1]) == 'T';
}

std::optional<std::vector<AtCommand>> ParseCommandLine(std::string_view line) {
    if (!HasAtPrefix(line)) {
        return std::nullopt;
    }
    const std::string body = Compact(line.substr(2));
    std::vector<AtCommand> commands;
    std::size_t pos = 0;
    while (pos < body.size()) {
        if (body[pos] == ';') {
            ++pos;
            continue;
        }
        std::optional<AtCommand> command =
            body[pos] == '+' ? ParseExtended(body, pos) : ParseBasic(body, pos);
        if (!command) {
            return std::nullopt;
        }
        commands.push_back(std::move(*command));
    }
    return commands;
}

std::optional<std::string> NormaliseCommandName(std::string_view written) {
    std::string name;
    for (char c : written) {
        name.push_back(Upper(c));
    }
    if (name == "AT" || name.find_first_of(" \t") != std::string::npos) {
        return name == "AT" ? std::optional<std::string>(name) : std::nullopt;
    }
    if (name.size() > 2 && name.rfind("AT", 0) == 0) {
        name.erase(0, 2);
    }
    if (!name.empty() && name[0] != '+' && name[0] != '&' && !IsBasicCommand(name)) {
        name.insert(0, "+");
    }
    const std::optional<std::vector<AtCommand>> commands = ParseCommandLine("AT" + name);
    if (!commands || commands->size() != 1) {
        return std::nullopt;
    }
    const AtCommand& command = commands->front();
    const bool digitsOnly = std::all_of(command.args.begin(), command.args.end(), IsDigit);
    if (command.form != CommandForm::kExec || !digitsOnly) {
        return std::nullopt;
    }
    return command.name;
}

}  // namespace modemsim
