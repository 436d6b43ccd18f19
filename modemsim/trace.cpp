#include "modemsim/trace.h"

#include <cstdio>
#include <iostream>

#include "modemsim/byte_escapes.h"

namespace modemsim {

TraceSink StderrTraceSink() {
    return [](const std::string& line) { std::cerr << line << std::endl; };
}

Trace::Trace(TraceSink sink)
    : m_sink(std::move(sink)),
      m_enabled(static_cast<bool>(m_sink)),
      m_start(std::chrono::steady_clock::now()) {
    if (!m_sink) {
        m_sink = StderrTraceSink();
    }
}

void Trace::Enable(bool on) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_enabled = on;
}

bool Trace::Enabled() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_enabled;
}

void Trace::Record(char direction, std::string_view bytes) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_enabled) {
        return;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_start;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%8.3f] %c ", elapsed.count(), direction);
    m_sink(stamp + EscapeBytes(bytes));
}

}  // namespace modemsim
