#pragma once
// How modules of the common families report a voice call, one row a family:
//   standard  ATD;  OK ... (answered: nothing)         ... NO CARRIER
//   huawei    ATD;  OK ^ORIG: 1,0 ^CONF: 1 ... ^CONN: 1,0 ... ^CEND: 1,0,104,16
//   zte       ATD;  (nothing until) CONNECT              ... HANGUP: 1
//   simcom    ATD;  OK ... VOICE CALL: BEGIN ... VOICE CALL: END: 000012 NO CARRIER
// A call the terminal ends (ATH, AT+CHUP) is said to have ended only by the Huawei and SIMCom
// families, apart from the OK and a moment later: OK ... ^CEND: 1,12,104,16. Durations are the
// seconds since the call connected, the SIMCom one as hhmmss.
// A call that never connects ends with the V.250 results BUSY / NO ANSWER / NO DIALTONE, or on
// the Huawei family with ^CEND and the cause of 3GPP TS 24.008 (17 user busy, 19 no answer).

#include <optional>
#include <string>
#include <string_view>

namespace modemsim {

enum class CallProfile { kStandard, kHuawei, kHuaweiCvhu1, kZte, kSimcom };

// How a call that the terminal dialled ends before it connects (V.250 final results).
enum class DialFailure { kBusy, kNoAnswer, kNoDialTone };

// Each text is its lines, '\n' between them; empty: nothing is said. In the texts of an end,
// "{s}" stands for the call's duration in seconds and "{hhmmss}" for it as six digits.
struct CallReports {
    const char* name;
    bool dialAnsweredAtOnce;  // false: ATD<n>; has no final result until the call connects
    const char* afterDial;    // after the dial's OK
    const char* connected;    // the other side answered (for a dial still open: its final result)
    const char* afterAnswer;  // after ATA's OK
    const char* ended;        // the other side hung up
    const char* busy;
    const char* noAnswer;
    const char* noDialTone;
    const char* endedHere;  // the terminal hung up: after the OK, as a write of its own
    int hangUpMode;         // AT+CVHU at power-on: 1 has ATH leave a voice call up
};

const CallReports& ReportsOf(CallProfile profile);
std::optional<CallProfile> CallProfileNamed(std::string_view name);
// "standard|huawei|..."
std::string CallProfileNames();
// Each line of a report text framed as the modem writes it: "\r\n<line>\r\n", a duration
// (seconds) put in.
std::string FramedReport(const char* text, long long seconds = 0);
// The report of a failure: busy, no answer or no dial tone.
const char* FailureReport(const CallReports& reports, DialFailure failure);

}  // namespace modemsim
