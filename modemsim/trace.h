#pragma once
// A readable record of the dialogue on the pseudo-terminal, one line per read or write: seconds
// since the simulator started, the direction ('<' from the terminal to the modem, '>' from the
// modem to the terminal) and the bytes escaped as in byte_escapes.h:
//   [   0.412] < AT+CMGF=1\r
//   [   0.413] > AT+CMGF=1\r\r\nOK\r\n
//
// Thread contract: Record, Enable and SetSink may be called from any thread. The sink runs under
// the trace's lock, so lines never interleave; it must not call back into the simulator.

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace modemsim {

using TraceSink = std::function<void(const std::string& line)>;

// Writes each line to stderr.
TraceSink StderrTraceSink();

class Trace {
public:
    explicit Trace(TraceSink sink);

    void Enable(bool on);
    bool Enabled();
    void Record(char direction, std::string_view bytes);

private:
    std::mutex m_lock;
    TraceSink m_sink;
    bool m_enabled;
    const std::chrono::steady_clock::time_point m_start;
};

}  // namespace modemsim
