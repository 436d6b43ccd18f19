#pragma once
// One command line split into its commands. After the "AT" prefix (any case) come basic commands
// (a letter or '&' and a letter, with optional digits: E0, H, &F), D with the rest of the line as
// its number, and extended commands ("+NAME") in their four forms, separated by ';':
//   AT+CMGF=1;+CSCS="GSM"   ->  {+CMGF set "1"}, {+CSCS set "\"GSM\""}
// Spaces outside quotes are dropped; names are upper-cased, arguments keep their case.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

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
