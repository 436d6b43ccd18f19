#pragma once
// Other processes holding the modem's device open. Our exclusive open keeps out whoever comes
// after us, but a process that opened the device before us keeps its descriptor: a modem manager
// that probed the new port, a terminal program left running. It reads what the modem answers us
// and writes its own commands in between, so the user is told who it is.
//
// Thread contract: any thread. OtherHoldersOf reads /proc only; ReportOtherHolders keeps the
// last line it wrote under its own lock.

#include <string>
#include <vector>

#include "platform/core/holder_notice.h"

namespace platform {

// The processes other than this one with a descriptor of the device at `path`, compared by
// device number, so any link to it (/dev/serial/by-id, COM1) matches. The process holding a
// pseudo-terminal's master side is the far end of the line (a simulated modem), not a rival, and
// is left out; so are processes we may not inspect. Empty for a path that is no device.
std::vector<DeviceHolder> OtherHoldersOf(const std::string& path);

// Writes HolderNotice's line for the device to stderr when anyone else holds it, unless the line
// just before said the same.
void ReportOtherHolders(const std::string& path);

}  // namespace platform
