#pragma once
// Why a serial device did not open, as one line on stderr a user can act on: the path, the
// system's reason and the remedy where there is one. Permission denied names the group that may
// open the device and how to join it; a missing path lists the serial devices that do exist; a
// busy device names the process holding its lock when the system tells.

#include <string>

namespace platform {

// Writes "<program>: cannot open <path>: <reason>[; <remedy>]" as one line to stderr. error: the
// errno of the step that failed; EBUSY for a device whose lock someone else holds.
void ReportOpenFailure(const std::string& path, int error);

}  // namespace platform
