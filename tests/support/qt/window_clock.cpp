#include "window_clock.h"

#include <QCoreApplication>

void WindowClock::Settle() {
    // A handler may start a command, whose answer may post again.
    for (int round = 0; round < 3; ++round) {
        m_backend.Advance(std::chrono::milliseconds(0));
        QCoreApplication::processEvents();
    }
}

void WindowClock::Advance(std::chrono::milliseconds duration) {
    const platform::TimePoint end = m_backend.Now() + duration;
    Settle();
    for (;;) {
        const platform::TimePoint now = m_backend.Now();
        const std::optional<platform::TimePoint> next = m_window.NextTimerDue();
        if (!next || *next > end) {
            if (end > now) {
                m_backend.Advance(std::chrono::duration_cast<std::chrono::milliseconds>(end - now));
            }
            Settle();
            return;
        }
        if (*next > now) {
            m_backend.Advance(std::chrono::duration_cast<std::chrono::milliseconds>(*next - now));
        }
        m_window.FireDueTimers();
        Settle();
    }
}
