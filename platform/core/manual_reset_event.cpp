#include "platform/core/manual_reset_event.h"

#include "platform/core/handles.h"

namespace platform {

void ManualResetEvent::Set() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_set = true;
    m_changed.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_set = false;
}

bool ManualResetEvent::WaitUntil(TimePoint deadline) {
    std::unique_lock<std::mutex> lock(m_lock);
    // wait_until would overflow converting the largest time point.
    if (deadline == TimePoint::max()) {
        m_changed.wait(lock, [this] { return m_set; });
        return true;
    }
    return m_changed.wait_until(lock, deadline, [this] { return m_set; });
}

bool ManualResetEvent::Wait(std::uint32_t timeoutMs) {
    return WaitUntil(timeoutMs == kWaitForever ? TimePoint::max() : AfterMs(Clock::now(), timeoutMs));
}

}  // namespace platform
