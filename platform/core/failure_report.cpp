#include "platform/core/failure_report.h"

#include <cerrno>

#include "platform/core/error_lines.h"

namespace platform {

void ReportCommandFailure(const std::string& what, const std::string& reason) {
    WriteErrorLine(std::string(program_invocation_short_name) + ": " + what + " failed" +
                   (reason.empty() ? "" : ": " + reason));
}

}  // namespace platform
