#pragma once
// A readable record of the dialogue on the pseudo-terminal, one line per read or write in the
// programs' trace format (modemlink/tracetext/trace_line.h): '<' from the terminal to the modem,
// '>' from the modem to the terminal, '!' for what befell the modem, such as a message lost:
//   [   0.412] < AT+CMGF=1\r
//   [   0.413] > AT+CMGF=1\r\r\nOK\r\n
// The time is taken when the bytes are read or written, not when the line reaches the sink, so it
// measures the modem's own timing. Lines go out through the bounded writer of
// platform/core/trace_writer.h, so a stuck reader of the trace never holds up the modem.
//
// Thread contract: Record, Enable and Enabled may be called from any thread; recording only
// queues. Stop (also the destructor) is bounded, see platform::TraceWriter.

#include <atomic>
#include <chrono>
#include <mutex>
#include <string_view>

#include "platform/core/trace_writer.h"

namespace modemsim {

using platform::DescriptorTraceSink;
using platform::StderrTraceSink;
using platform::TraceSink;

class Trace {
public:
    // An empty sink means standard error, with the trace off until Enable(true).
    explicit Trace(TraceSink sink);

    void Enable(bool on);
    bool Enabled() const;
    void Record(char direction, std::string_view bytes);
    void Stop();

private:
    std::atomic<bool> m_enabled;
    const std::chrono::steady_clock::time_point m_start;
    // Time stamp and queueing in one step, so the lines of both threads stay in time order.
    std::mutex m_lock;
    platform::TraceWriter m_writer;
};

}  // namespace modemsim
