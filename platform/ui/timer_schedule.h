#pragma once
// A window's timers on the backend's clock (platform::System().Now()), so that a test on virtual
// time decides them as exactly as the link's waits. The window keeps one Qt timer that wakes it at
// NextDue and then fires what is due.
//
// As Qt's own timers: a period comes round again from when it was due (from now, when the window
// was too busy to fire it in time), a timer never fires again while its handler still runs (a
// message box's loop inside it), and starting a running timer starts its period again.
//
// Thread contract: the window's thread only.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/core/clock.h"

namespace platform::ui {

class TimerSchedule {
public:
    void Start(std::uintptr_t id, std::uint32_t periodMs, TimePoint now);
    void Stop(std::uintptr_t id);
    void StopAll();
    // The earliest time a timer is due that may fire then; nothing when none runs.
    std::optional<TimePoint> NextDue() const;
    // The timers due at `now`, earliest first.
    std::vector<std::uintptr_t> DueAt(TimePoint now) const;
    // True when the timer is still due at `now` and may fire: its next period begins and it is
    // firing until Fired.
    bool Begin(std::uintptr_t id, TimePoint now);
    void Fired(std::uintptr_t id);

private:
    struct Timer {
        std::uint32_t periodMs = 0;
        TimePoint due;
        bool firing = false;
    };
    bool MayFire(const Timer& timer, TimePoint now) const;

    std::map<std::uintptr_t, Timer> m_timers;  // the running ones
};

}  // namespace platform::ui
