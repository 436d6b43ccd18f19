#pragma once
// What a modem's numbered errors mean, for a log line a user can act on: the common codes of
// +CMS ERROR (3GPP TS 27.005 3.2.5, with the network's causes of TS 24.011 below 128) and of
// +CME ERROR (TS 27.007 9.2), in the words of those tables.

#include <optional>
#include <string>
#include <string_view>

// The meaning of an error line: "+CMS ERROR: 330" -> "SMSC address unknown". Nothing for a text
// form (AT+CMEE=2 gives "+CME ERROR: SIM PIN required", which says it already), for "ERROR" and
// for a line that is no numbered error; "unknown error code" for a number the tables lack.
std::optional<std::string> ErrorMeaning(std::u16string_view line);

// The line of a refused command's answer that says why: its "ERROR", numbered error or call report
// (a dial's "BUSY"), else its last line; empty for an answer without any line.
std::u16string_view FailureLineOf(std::u16string_view answer);

// The line as a log shows it: "+CMS ERROR: 330 (SMSC address unknown)", or the line alone when
// ErrorMeaning gives nothing. Characters outside printable ASCII are shown as '?'.
std::string ExplainedErrorLine(std::u16string_view line);
