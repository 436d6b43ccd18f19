#pragma once
// Where trace lines go. A sink is called on the trace's own writer thread, one line at a time,
// and says whether the line went out; lines it refuses are counted as dropped. A sink that blocks
// delays only the trace, never the modem. It must not call back into the simulator.

#include <functional>
#include <string>

namespace modemsim {

using TraceSink = std::function<bool(const std::string& line)>;

// How long a descriptor sink waits for room before it drops a line.
inline constexpr int kTraceWriteWaitMs = 200;

// Writes each line with a line end to fd, waiting at most kTraceWriteWaitMs for room. A line cut
// short by the time-out is ended before the next one, so lines never run together.
TraceSink DescriptorTraceSink(int fd);
// DescriptorTraceSink on standard error.
TraceSink StderrTraceSink();

}  // namespace modemsim
