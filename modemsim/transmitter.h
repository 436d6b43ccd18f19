#pragma once
// Everything the modem writes to the pseudo-terminal goes through here, in the order it was sent:
// a write held back by a delay also holds back whatever is sent after it, as on a real line.
// Writes happen on the timer queue's thread, each one traced at the moment it is made.
//
// Thread contract: Send may be called from any thread, under the model's lock too: it only
// queues. The pseudo-terminal, timer queue and trace must outlive this object's last write (the
// simulator stops the timer queue first).

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

#include "modemsim/timer_queue.h"
#include "modemsim/trace.h"

namespace platform {
class PseudoTerminal;
}

namespace modemsim {

struct Shaping {
    int delayMs = 0;
    std::size_t pieceBytes = 0;  // 0: one write
    int gapMs = 0;               // between pieces
};

class Transmitter {
public:
    Transmitter(platform::PseudoTerminal& pty, TimerQueue& timers, Trace& trace);

    void Send(std::string bytes, const Shaping& shaping = {});

private:
    void WriteAt(TimerQueue::Clock::time_point when, std::string piece);

    platform::PseudoTerminal& m_pty;
    TimerQueue& m_timers;
    Trace& m_trace;
    std::mutex m_lock;
    TimerQueue::Clock::time_point m_lastWrite;
};

}  // namespace modemsim
