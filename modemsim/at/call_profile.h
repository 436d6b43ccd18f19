#pragma once
// How modules of the common families report a voice call, one row a family:
//   standard  ATD;  OK ... (answered: nothing)         ... NO CARRIER
//   huawei    ATD;  OK ^ORIG: 1,0 ^CONF: 1 ... ^CONN: 1,0 ... ^CEND: 1,0,104,16
//   zte       ATD;  (nothing until) CONNECT              ... HANGUP: 1
// A call that never connects ends with the V.250 results BUSY / NO ANSWER / NO DIALTONE, or on
// the Huawei family with ^CEND and the cause of 3GPP TS 24.008 (17 user busy, 19 no answer).

#include <optional>
#include <string>
#include <string_view>

namespace modemsim {

enum class CallProfile { kStandard, kHuawei, kZte };

// Each text is its lines, '\n' between them; empty: nothing is said.
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
};

const CallReports& ReportsOf(CallProfile profile);
std::optional<CallProfile> CallProfileNamed(std::string_view name);
// "standard|huawei|zte"
std::string CallProfileNames();
// Each line of a report text framed as the modem writes it: "\r\n<line>\r\n".
std::string FramedReport(const char* text);

}  // namespace modemsim
