#include "modemsim/line/timed_writes.h"

#include <algorithm>

#include "platform/simhost/pseudo_terminal.h"

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

void Transmitter::Connect(std::shared_ptr<platform::PseudoTerminal> line) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_line = std::move(line);
    Forget();
}

void Transmitter::Restart() {
    std::lock_guard<std::mutex> lock(m_lock);
    Forget();
}

void Transmitter::Forget() {
    ++m_generation;
    m_lastWrite = {};
    m_pieceSpans.clear();
}

void Transmitter::Send(std::string bytes, const Shaping& shaping) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (bytes.empty() || !m_line) {
        return;
    }
    const auto now = TimerQueue::Clock::now();
    auto when = std::max(now + std::chrono::milliseconds(shaping.delayMs), m_lastWrite);
    const auto first = when;
    const std::size_t piece = shaping.pieceBytes == 0 ? bytes.size() : shaping.pieceBytes;
    for (std::size_t pos = 0, length = shaping.cutAfter == 0 ? piece : shaping.cutAfter;
         pos < bytes.size(); pos += length, length = piece) {
        if (pos > 0) {
            when += std::chrono::milliseconds(shaping.gapMs);
        }
        WriteAt(when, bytes.substr(pos, length));
    }
    m_lastWrite = when;
    if (when != first) {
        m_pieceSpans.emplace_back(first, when);
    }
}

void Transmitter::SendBetween(std::string bytes) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (bytes.empty() || !m_line) {
        return;
    }
    const auto now = TimerQueue::Clock::now();
    while (!m_pieceSpans.empty() && m_pieceSpans.front().second < now) {
        m_pieceSpans.pop_front();
    }
    // Spans follow one another, the next one possibly starting where the last ends; a piece queued
    // for the same time as this write still goes first.
    auto when = now;
    for (const Span& span : m_pieceSpans) {
        if (span.first > when) {
            break;
        }
        when = std::max(when, span.second);
    }
    WriteAt(when, std::move(bytes));
    m_lastWrite = std::max(m_lastWrite, when);
}

void Transmitter::WriteAt(TimerQueue::Clock::time_point when, std::string piece) {
    m_timers.At(when, [this, generation = m_generation, piece = std::move(piece)] {
        // Not under the lock: a write may wait for the terminal to read.
        if (const std::shared_ptr<platform::PseudoTerminal> line = LineOf(generation)) {
            m_trace.Record('>', piece);
            line->Write(piece);
        }
    });
}

std::shared_ptr<platform::PseudoTerminal> Transmitter::LineOf(std::uint64_t generation) {
    std::lock_guard<std::mutex> lock(m_lock);
    return generation == m_generation ? m_line : nullptr;
}

}  // namespace modemsim
