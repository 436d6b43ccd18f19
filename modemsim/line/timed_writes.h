#pragma once
// Output onto the pseudo-terminal at the times the faults ask for: a timer thread, and the
// transmitter that queues every write of the modem on it in order.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "modemsim/trace/trace.h"

namespace platform {
class PseudoTerminal;
}

namespace modemsim {

// Runs tasks at given times on one thread of its own. Tasks due at the same time run in the order
// they were queued. The thread sleeps on a condition variable until the next task is due or a new
// one arrives, so an idle queue costs no CPU.
//
// Thread contract: At and Stop may be called from any thread, tasks included. Tasks run without
// the queue's lock held, one at a time. Stop (and the destructor) drop what is still queued and
// wait for a running task to finish, so it must not be called from a task.

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

// Everything the modem writes to the pseudo-terminal goes through here, in the order it was sent:
// a write held back by a delay also holds back whatever is sent after it, as on a real line.
// Writes happen on the timer queue's thread, each one traced at the moment it is made. Each write
// belongs to the line that was connected when it was sent: one still queued when another line
// (or none) is connected is dropped untraced, as the bytes in a modem's buffer are when it is
// pulled off the bus, and the new line starts free of the old one's delays.
//
// Thread contract: Send and Connect may be called from any thread, under the model's lock too:
// they only queue. The timer queue and trace must outlive this object's last write (the
// simulator stops the timer queue first).

struct Shaping {
    int delayMs = 0;
    std::size_t pieceBytes = 0;  // 0: one write
    int gapMs = 0;               // between pieces
    std::size_t cutAfter = 0;    // the first piece this long, the rest by pieceBytes; 0: none
};

class Transmitter {
public:
    Transmitter(TimerQueue& timers, Trace& trace) : m_timers(timers), m_trace(trace) {}

    // Where the writes go from now on; none: nowhere, they are dropped.
    void Connect(std::shared_ptr<platform::PseudoTerminal> line);
    // The same line, as a module that restarts finds it: what it was still to write is dropped.
    void Restart();
    void Send(std::string bytes, const Shaping& shaping = {});
    // In one write, now, as a module writes an unsolicited line: ahead of an answer that is held
    // back, as the module is still working on it, but never inside one going out in pieces: then
    // right after its last piece.
    void SendBetween(std::string bytes);

private:
    using Span = std::pair<TimerQueue::Clock::time_point, TimerQueue::Clock::time_point>;

    // Under the lock: the writes queued so far never happen, and their delays hold nothing back.
    void Forget();
    // Under the lock.
    void WriteAt(TimerQueue::Clock::time_point when, std::string piece);
    // The line to write to, unless another has been connected since `generation`.
    std::shared_ptr<platform::PseudoTerminal> LineOf(std::uint64_t generation);

    TimerQueue& m_timers;
    Trace& m_trace;
    std::mutex m_lock;
    std::shared_ptr<platform::PseudoTerminal> m_line;
    std::uint64_t m_generation = 0;
    TimerQueue::Clock::time_point m_lastWrite;
    // First and last piece of each answer in pieces not yet written, in time order.
    std::deque<Span> m_pieceSpans;
};

}  // namespace modemsim
