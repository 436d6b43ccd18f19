#include "modemsim/timer_queue.h"

namespace modemsim {

TimerQueue::TimerQueue() : m_thread([this] { Run(); }) {}

TimerQueue::~TimerQueue() {
    Stop();
}

void TimerQueue::At(Clock::time_point when, Task task) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_stopping) {
        return;
    }
    // A multimap puts an equal key after those already there: first queued, first run.
    m_tasks.emplace(when, std::move(task));
    m_changed.notify_one();
}

void TimerQueue::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stopping = true;
        m_tasks.clear();
        m_changed.notify_one();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void TimerQueue::Run() {
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_stopping) {
        if (m_tasks.empty()) {
            m_changed.wait(lock);
            continue;
        }
        const Clock::time_point due = m_tasks.begin()->first;
        if (Clock::now() < due) {
            m_changed.wait_until(lock, due);
            continue;
        }
        Task task = std::move(m_tasks.begin()->second);
        m_tasks.erase(m_tasks.begin());
        lock.unlock();
        task();
        lock.lock();
    }
}

}  // namespace modemsim
