#pragma once
// The syntax of what a terminal types and the controller writes: decimal numbers, telephone
// numbers, the commands of an AT command line and the arguments of a set command.
// Pure functions over text; any thread.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

// The one reader of decimal numbers for AT arguments, console verbs and program options: plain
// digits, no sign, no spaces, and short enough that no overflow is possible.

inline constexpr std::size_t kMaxDecimalDigits = 9;

// Nothing unless text is 1 to kMaxDecimalDigits digits.
std::optional<long> ParseDecimal(std::string_view text);
// As ParseDecimal, and nothing outside [low, high].
std::optional<long> ParseDecimalIn(std::string_view text, long low, long high);

// Telephone numbers as AT commands carry them: the destination of AT+CMGS, the service centre of
// AT+CSCA, the caller of +CLIP.

// 1 to 20 of 0-9 + * #.
bool IsAddress(const std::string& number);

// A sender or caller as the controller names it, which the network may give as a name
// ("Operator"): 1 to 32 printable characters without '"'.
bool IsSenderName(const std::string& sender);

// Type of address: 145 for international numbers ("+..."), else 129.
int NumberType(std::string_view number);

// The comma-separated arguments of a set command: numbers, and strings in double quotes that may
// hold commas. An argument left out stays empty and unquoted:
//   "+123",145   ->  {"+123", quoted}, {"145"}
//   ,,1          ->  {""}, {""}, {"1"}

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

// One command line split into its commands. After the "AT" prefix (any case) come basic commands
// (a letter or '&' and a letter, with optional digits: E0, H, &F), D with the rest of the line as
// its number, and extended commands ("+NAME") in their four forms, separated by ';':
//   AT+CMGF=1;+CSCS="GSM"   ->  {+CMGF set "1"}, {+CSCS set "\"GSM\""}
// Spaces outside quotes are dropped; names are upper-cased, arguments keep their case.

// exec: "+CHUP" and basic commands; read: "+CMGF?"; test: "+CMGF=?"; set: "+CMGF=1".
enum class CommandForm { kExec, kRead, kTest, kSet };

struct AtCommand {
    std::string name;  // "+CMGF", "E", "&F", "D"
    CommandForm form = CommandForm::kExec;
    std::string args;  // digits of a basic command, the number of D, the text after '='
};

// True when the line starts with "AT" in any case: only such lines get an answer.
bool HasAtPrefix(std::string_view line);

// Nothing on a syntax error. An "AT" line without commands gives an empty list.
std::optional<std::vector<AtCommand>> ParseCommandLine(std::string_view line);

// The name of one command as a person may write it ("cmgs", "AT+CMGS", "atd", "ATE0") in the form
// that ParseCommandLine gives ("+CMGS", "D", "E"); "AT" alone stays "AT" and stands for lines
// without commands. Nothing for anything else: several commands, arguments other than a basic
// command's digits, spaces. Whether the modem knows the command is not checked here.
std::optional<std::string> NormaliseCommandName(std::string_view written);

}  // namespace modemsim
