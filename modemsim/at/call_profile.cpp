#include "modemsim/at/call_profile.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "modemsim/at/profile_rows.h"
#include "modemsim/at/reply.h"

namespace modemsim {

namespace {

constexpr CallReports kProfiles[] = {
    {"standard", true, "", "", "", "NO CARRIER", "BUSY", "NO ANSWER", "NO DIALTONE", "", 0},
    {"huawei", true, "^ORIG: 1,0\n^CONF: 1", "^CONN: 1,0", "^CONN: 1,0", "^CEND: 1,{s},104,16",
     "^CEND: 1,0,104,17", "^CEND: 1,0,104,19", "^CEND: 1,0,21", "^CEND: 1,{s},104,16", 0},
    // Some firmware comes up with AT+CVHU=1: ATH answers OK and the call goes on.
    {"huawei-cvhu1", true, "^ORIG: 1,0\n^CONF: 1", "^CONN: 1,0", "^CONN: 1,0",
     "^CEND: 1,{s},104,16", "^CEND: 1,0,104,17", "^CEND: 1,0,104,19", "^CEND: 1,0,21",
     "^CEND: 1,{s},104,16", 1},
    {"zte", false, "", "CONNECT", "", "HANGUP: 1", "BUSY", "NO ANSWER", "NO DIALTONE", "", 0},
    {"simcom", true, "", "VOICE CALL: BEGIN", "VOICE CALL: BEGIN",
     "VOICE CALL: END: {hhmmss}\nNO CARRIER", "BUSY", "NO ANSWER", "NO DIALTONE",
     "VOICE CALL: END: {hhmmss}", 0},
};

// "{s}" and "{hhmmss}" as the duration.
std::string WithDuration(std::string_view line, long long seconds) {
    char clock[64];  // room for what the compiler cannot rule out; hours stop at 99
    std::snprintf(clock, sizeof clock, "%02lld%02lld%02lld", std::min(seconds / 3600, 99LL),
                  seconds / 60 % 60, seconds % 60);
    const std::pair<std::string_view, std::string> fields[] = {{"{s}", std::to_string(seconds)},
                                                               {"{hhmmss}", clock}};
    std::string text(line);
    for (const auto& [field, value] : fields) {
        const std::size_t at = text.find(field);
        if (at != std::string::npos) {
            text.replace(at, field.size(), value);
        }
    }
    return text;
}

}  // namespace

const CallReports& ReportsOf(CallProfile profile) {
    return kProfiles[static_cast<int>(profile)];
}

std::optional<CallProfile> CallProfileNamed(std::string_view name) {
    return RowNamed<CallProfile>(kProfiles, name);
}

std::string CallProfileNames() {
    return RowNames(kProfiles);
}

std::string FramedReport(const char* text, long long seconds) {
    std::string framed;
    const std::string_view lines = text;
    std::size_t start = 0;
    while (start < lines.size()) {
        const std::size_t end = std::min(lines.find('\n', start), lines.size());
        framed += InfoLine(WithDuration(lines.substr(start, end - start), seconds));
        start = end + 1;
    }
    return framed;
}

const char* FailureReport(const CallReports& reports, DialFailure failure) {
    switch (failure) {
        case DialFailure::kBusy:
            return reports.busy;
        case DialFailure::kNoAnswer:
            return reports.noAnswer;
        case DialFailure::kNoDialTone:
            return reports.noDialTone;
    }
    return reports.busy;
}

}  // namespace modemsim
