#pragma once
// A manual-reset event: once set it stays set, releasing every waiter, until reset.

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/core/clock.h"

namespace platform {

class ManualResetEvent {
public:
    void Set();
    void Reset();
    // A deadline already passed only tests; TimePoint::max() waits without limit. True when set.
    bool WaitUntil(TimePoint deadline);
    // timeoutMs 0 only tests; kWaitForever (handles.h) waits without limit. True when set.
    bool Wait(std::uint32_t timeoutMs);

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_set = false;
};

}  // namespace platform
