#pragma once
// Pure decisions over modem text: final result codes of a command's answer, the call reports
// of an idle chunk, the caller's number of a ring, and the bytes of a command line.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class FinalResult { kNone, kOk, kError };

// "ERROR\r\n" wins over "OK\r\n" wherever both stand; only all-capital or all-small codes with
// their CR LF count. "OK" without a line end, or "Ok\r\n", is no result yet. A numbered error
// (HasNumberedError) is an error too: no refusal ever costs a silence.
FinalResult DecideFinalResult(const std::u16string& response);

// A line "+CME ERROR: <n>" or "+CMS ERROR: <n>" (27.007, 27.005), or their text forms of
// AT+CMEE=2 ("+CME ERROR: SIM PIN required"), that has ended with CR LF.
bool HasNumberedError(std::u16string_view text);

// A numbered error that blames the SIM: +CME ERROR 10-18, +CMS ERROR 310-318, or a text form
// that names the SIM ("+CME ERROR: SIM PIN required", "+CMS ERROR: SIM busy").
bool HasSimError(std::u16string_view text);

// What a module reports on its own about a voice call, by family:
//   ended       NO CARRIER (V.250), ^CEND:<id>,<duration>,<end status>[,<cause>] (Huawei),
//               HANGUP: <id> (ZTE and Qualcomm-based), MISSED_CALL: <time> <number> (SIMCom: a
//               ringing call that the caller gave up)
//   connected   CONNECT (we place no data calls, so it is the voice call), ^CONN:<id>,<type>
//   failures    BUSY, NO ANSWER, NO DIALTONE (also written NO DIAL TONE); a ^CEND whose cause
//               (3GPP TS 24.008) is 17 "user busy" is busy, 18 or 19 "no answer" no answer
enum class CallReport { kEnded, kConnected, kBusy, kNoAnswer, kNoDialTone };

// SIMCom's VOICE CALL: BEGIN and VOICE CALL: END: <duration> are not among them: the first changes
// nothing for a window, and an end by the other side also brings NO CARRIER, while one by the
// terminal only confirms what the terminal did.

// The call reports of a text's lines, each a whole line in capitals or small letters, in their
// order: words inside a caller's name or a message indication report nothing.
std::vector<CallReport> CallReportsOfLines(std::u16string_view text);

// The call report that a whole line makes (the families above), if any.
std::optional<CallReport> CallReportOfLine(std::u16string_view line);
// A ring ("RING", "ring", "+CRING: VOICE") or its caller's line ("+CLIP: ...").
bool IsRingLine(std::u16string_view line);
bool IsCallerLine(std::u16string_view line);

// A line that refuses a command: "ERROR" (or "error"), "+CME ERROR: ...", "+CMS ERROR: ...".
bool IsRefusalLine(std::u16string_view line);

// Where a command's own result ends in its answer: just after the first line that is "OK",
// "ERROR" or a numbered error; npos while there is none.
std::size_t FinalResultEnd(std::u16string_view answer);

// The number between the quotes of a caller-identification line, searched from the start of the
// text:  \r\nRING\r\n\r\n+CLIP: "+393351391306",145,,,,0\r\n  ->  +393351391306
// Empty when there is no such line or its closing quote is missing from it.
std::u16string CallerNumber(const std::u16string& text);

// A command line as it may go out. Full-width digits, "＋", "＊", "＃" and the ideographic space,
// which Chinese input methods give, become what the user meant; nothing when any other character
// is outside printable ASCII, so no control byte (a CR or Ctrl-Z would end the line early) and no
// character that the line cannot carry ever goes out inside a line.
std::optional<std::u16string> CommandLineText(const std::u16string& text);

// The low 8 bits of each UTF-16 unit (no code-page conversion: U+4E2D goes out as 0x2D), then
// the terminator bytes.
std::vector<std::uint8_t> EncodeLine(const std::u16string& text, const std::string& terminator);
