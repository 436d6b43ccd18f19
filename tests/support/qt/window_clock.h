#pragma once
// A window on the test backend's virtual clock, driven from the window's thread (inside a
// DriveModal body): time moves only when the test says, each window timer fires at its own time,
// and what the reader thread posted to the window is handled at the time it came. A chunk the
// test wants the window to see at a given time is pushed then (FakeBackend::PushInput), not
// scheduled ahead with At, which would be handled only at the next step.

#include <chrono>

#include "platform/fake/fake_backend.h"
#include "platform/ui/dialog_window.h"

class WindowClock {
public:
    WindowClock(platform::FakeBackend& backend, platform::ui::DialogWindow& window)
        : m_backend(backend), m_window(window) {}

    // Lets `duration` pass on the window: its timers fire on time, one after another.
    void Advance(std::chrono::milliseconds duration);
    // Without moving time: the reader hands over what has come, and the window handles what was
    // posted to it.
    void Settle();

private:
    platform::FakeBackend& m_backend;
    platform::ui::DialogWindow& m_window;
};
