#pragma once
// A manual-reset event: once set it stays set, releasing every waiter, until reset.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

class ManualResetEvent {
public:
    void Set();
    void Reset();
    // timeoutMs 0 only tests; kWaitForever (handles.h) waits without limit. True when set.
    bool Wait(std::uint32_t timeoutMs);

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_set = false;
};

}  // namespace platform
