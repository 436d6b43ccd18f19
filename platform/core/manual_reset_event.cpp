#include "platform/core/manual_reset_event.h"

#include <chrono>

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

bool ManualResetEvent::Wait(std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_lock);
    if (timeoutMs == kWaitForever) {
        m_changed.wait(lock, [this] { return m_set; });
        return true;
    }
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_set; });
}

}  // namespace platform
