#pragma once
// Runs tasks at given times on one thread of its own. Tasks due at the same time run in the order
// they were queued. The thread sleeps on a condition variable until the next task is due or a new
// one arrives, so an idle queue costs no CPU.
//
// Thread contract: At and Stop may be called from any thread, tasks included. Tasks run without
// the queue's lock held, one at a time. Stop (and the destructor) drop what is still queued and
// wait for a running task to finish, so it must not be called from a task.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace modemsim {

class TimerQueue {
public:
    using Clock = std::chrono::steady_clock;
    using Task = std::function<void()>;

    TimerQueue();
    ~TimerQueue();
    TimerQueue(const TimerQueue&) = delete;
    TimerQueue& operator=(const TimerQueue&) = delete;

    void At(Clock::time_point when, Task task);
    void Stop();

private:
    void Run();

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::multimap<Clock::time_point, Task> m_tasks;
    bool m_stopping = false;
    std::thread m_thread;  // last: starts once everything above exists
};

}  // namespace modemsim
