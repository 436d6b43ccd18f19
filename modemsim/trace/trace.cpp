#include "modemsim/trace/trace.h"

#include "modemlink/tracetext/trace_line.h"

namespace modemsim {

Trace::Trace(TraceSink sink)
    : m_enabled(static_cast<bool>(sink)),
      m_start(std::chrono::steady_clock::now()),
      m_writer(sink ? std::move(sink) : platform::StderrTraceSink()) {}

void Trace::Enable(bool on) {
    m_enabled = on;
}

bool Trace::Enabled() const {
    return m_enabled;
}

void Trace::Record(char direction, std::string_view bytes) {
    if (!m_enabled) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_start;
    m_writer.Push(tracetext::TraceLine(elapsed.count(), direction, bytes));
}

void Trace::Stop() {
    m_writer.Stop();
}

}  // namespace modemsim
