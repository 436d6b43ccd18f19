#pragma once
// The one ModemState of a simulator and the lock that guards it.
//
// Thread contract: the pty reader thread (commands from the terminal), the timer thread (RING
// ticks) and controller callers (tests, the console) all reach the state only through With, which
// holds the lock for the whole function. Work inside must not block: it may schedule output
// (Transmitter::Send only queues) but never waits for the pty or for another thread. Lock order:
// this lock, then the transmitter's, then the timer queue's; the trace lock is innermost.

#include <mutex>
#include <utility>

#include "modemsim/modem_state.h"

namespace modemsim {

class ModemModel {
public:
    template <typename Function>
    auto With(Function&& function) {
        std::lock_guard<std::mutex> lock(m_lock);
        return std::forward<Function>(function)(m_state);
    }

private:
    std::mutex m_lock;
    ModemState m_state;
};

}  // namespace modemsim
