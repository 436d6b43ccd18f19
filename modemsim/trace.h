#pragma once
// A readable record of the dialogue on the pseudo-terminal, one line per read or write: seconds
// since the simulator started, the direction ('<' from the terminal to the modem, '>' from the
// modem to the terminal) and the bytes escaped as in byte_escapes.h:
//   [   0.412] < AT+CMGF=1\r
//   [   0.413] > AT+CMGF=1\r\r\nOK\r\n
// The time is taken when the bytes are read or written, not when the line reaches the sink, so it
// measures the modem's own timing. Lines go out through a TraceWriter (trace_writer.h).
//
// Thread contract: Record, Enable and Enabled may be called from any thread; recording only
// queues. Stop (also the destructor) is bounded, see TraceWriter.

#include <atomic>
#include <chrono>
#include <mutex>
#include <string_view>

#include "modemsim/trace_sink.h"
#include "modemsim/trace_writer.h"

namespace modemsim {

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
    TraceWriter m_writer;
};

}  // namespace modemsim
