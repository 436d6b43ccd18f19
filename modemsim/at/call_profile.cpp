#include "modemsim/at/call_profile.h"

#include "modemsim/at/profile_rows.h"
#include "modemsim/at/reply.h"

namespace modemsim {

namespace {

constexpr CallReports kProfiles[] = {
    {"standard", true, "", "", "", "NO CARRIER", "BUSY", "NO ANSWER", "NO DIALTONE"},
    {"huawei", true, "^ORIG: 1,0\n^CONF: 1", "^CONN: 1,0", "^CONN: 1,0", "^CEND: 1,0,104,16",
     "^CEND: 1,0,104,17", "^CEND: 1,0,104,19", "^CEND: 1,0,21"},
    {"zte", false, "", "CONNECT", "", "HANGUP: 1", "BUSY", "NO ANSWER", "NO DIALTONE"},
};

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

std::string FramedReport(const char* text) {
    std::string framed;
    const std::string_view lines = text;
    std::size_t start = 0;
    while (start < lines.size()) {
        const std::size_t end = std::min(lines.find('\n', start), lines.size());
        framed += InfoLine(lines.substr(start, end - start));
        start = end + 1;
    }
    return framed;
}

}  // namespace modemsim
