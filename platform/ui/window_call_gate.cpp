#include "platform/ui/window_call_gate.h"

#include <utility>

namespace platform::ui {

void WindowCallGate::Open(Waker waker) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_waker = std::move(waker);
    m_windowThread = std::this_thread::get_id();
    m_open = true;
}

bool WindowCallGate::IsWindowThread() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_windowThread == std::this_thread::get_id();
}

bool WindowCallGate::Call(std::function<void()> task) {
    auto call = std::make_shared<PendingCall>();
    call->task = std::move(task);
    std::unique_lock<std::mutex> lock(m_lock);
    if (!m_open) {
        return false;
    }
    if (m_windowThread == std::this_thread::get_id()) {
        lock.unlock();
        call->task();
        return true;
    }
    m_queue.push_back(call);
    m_waker();
    m_changed.wait(lock, [&] { return call->done || !m_open; });
    return call->done;
}

bool WindowCallGate::Post(std::function<void()> task) {
    auto call = std::make_shared<PendingCall>();
    call->task = std::move(task);
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_open) {
        return false;
    }
    m_queue.push_back(std::move(call));
    m_waker();
    return true;
}

void WindowCallGate::RunPending() {
    std::unique_lock<std::mutex> lock(m_lock);
    while (m_open && !m_queue.empty()) {
        std::shared_ptr<PendingCall> call = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        // A task may open a nested event loop (a message box) that runs RunPending again; the
        // queue stays consistent because each call is taken out before it runs.
        call->task();
        lock.lock();
        call->done = true;
        m_changed.notify_all();
    }
}

void WindowCallGate::Close() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_open = false;
    m_queue.clear();
    m_waker = nullptr;
    m_changed.notify_all();
}

}  // namespace platform::ui
