#include "modemsim/trace_queue.h"

namespace modemsim {

void TraceQueue::Push(std::string line) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_closed) {
        return;
    }
    const bool full = m_entries.size() >= kMaxLines || m_bytes + line.size() > kMaxBytes;
    if (full && !m_entries.empty()) {
        ++m_entries.back().droppedAfter;
        return;
    }
    m_bytes += line.size();
    m_entries.push_back({std::move(line), 0});
    m_changed.notify_one();
}

std::optional<TraceQueue::Entry> TraceQueue::Pop() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [this] { return m_closed || !m_entries.empty(); });
    if (m_entries.empty() || (m_closed && Clock::now() >= m_drainUntil)) {
        m_entries.clear();
        m_bytes = 0;
        return std::nullopt;
    }
    Entry entry = std::move(m_entries.front());
    m_entries.pop_front();
    m_bytes -= entry.line.size();
    return entry;
}

void TraceQueue::Close(Clock::time_point drainUntil) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_closed) {
        m_closed = true;
        m_drainUntil = drainUntil;
    }
    m_changed.notify_all();
}

}  // namespace modemsim
