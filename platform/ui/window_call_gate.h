#pragma once
// Hands calls from other threads to the window's thread and waits until they have run, or posts
// them without waiting.
//
// While open, Call queues the task, wakes the window's thread through the waker (which posts an
// event to the window) and waits; the window's thread runs the queue in order from its event
// loop (RunPending). Close, on the window's thread before the window goes, refuses further calls
// and releases every waiter with "not run". Nothing here knows Qt.
//
// Thread contract: Open, RunPending and Close on the window's thread; Call and Post on any
// thread. The waker is called under the gate's lock and must only post, never run the queue.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform::ui {

class WindowCallGate {
public:
    using Waker = std::function<void()>;

    void Open(Waker waker);
    // True once the task has run on the window's thread; false when the window is closing or
    // gone (the task has not run and never will). On the window's thread the task runs at once.
    bool Call(std::function<void()> task);
    // Queues the task without waiting for it, from any thread (the window's own too: it then runs
    // after the current handler). False when the window is closing or gone.
    bool Post(std::function<void()> task);
    void RunPending();
    void Close();

    bool IsWindowThread() const;

private:
    struct PendingCall {
        std::function<void()> task;
        bool done = false;
    };

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<PendingCall>> m_queue;
    Waker m_waker;
    std::thread::id m_windowThread;
    bool m_open = false;
};

}  // namespace platform::ui
