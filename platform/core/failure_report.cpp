#include "platform/core/failure_report.h"

#include <cerrno>
#include <cstdio>

namespace platform {

void ReportCommandFailure(const std::string& what, const std::string& reason) {
    const std::string line = std::string(program_invocation_short_name) + ": " + what +
                             " failed" + (reason.empty() ? "" : ": " + reason) + "\n";
    std::fputs(line.c_str(), stderr);
}

}  // namespace platform
