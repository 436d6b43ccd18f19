#include "modemsim/trace.h"

#include <cstdio>

#include "modemsim/byte_escapes.h"

namespace modemsim {

Trace::Trace(TraceSink sink)
    : m_enabled(static_cast<bool>(sink)),
      m_start(std::chrono::steady_clock::now()),
      m_writer(sink ? std::move(sink) : StderrTraceSink()) {}

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
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%8.3f] %c ", elapsed.count(), direction);
    m_writer.Push(stamp + EscapeBytes(bytes));
}

void Trace::Stop() {
    m_writer.Stop();
}

}  // namespace modemsim
