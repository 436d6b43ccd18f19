#include "platform/ui/timer_schedule.h"

#include <algorithm>

namespace platform::ui {

void TimerSchedule::Start(std::uintptr_t id, std::uint32_t periodMs, TimePoint now) {
    Timer& timer = m_timers[id];
    timer.periodMs = periodMs;
    timer.due = AfterMs(now, periodMs);
}

void TimerSchedule::Stop(std::uintptr_t id) {
    m_timers.erase(id);
}

void TimerSchedule::StopAll() {
    m_timers.clear();
}

bool TimerSchedule::MayFire(const Timer& timer, TimePoint now) const {
    return !timer.firing && timer.due <= now;
}

std::optional<TimePoint> TimerSchedule::NextDue() const {
    std::optional<TimePoint> next;
    for (const auto& [id, timer] : m_timers) {
        if (!timer.firing && (!next || timer.due < *next)) {
            next = timer.due;
        }
    }
    return next;
}

std::vector<std::uintptr_t> TimerSchedule::DueAt(TimePoint now) const {
    std::vector<std::pair<TimePoint, std::uintptr_t>> due;
    for (const auto& [id, timer] : m_timers) {
        if (MayFire(timer, now)) {
            due.emplace_back(timer.due, id);
        }
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::uintptr_t> ids;
    for (const auto& entry : due) {
        ids.push_back(entry.second);
    }
    return ids;
}

bool TimerSchedule::Begin(std::uintptr_t id, TimePoint now) {
    const auto found = m_timers.find(id);
    if (found == m_timers.end() || !MayFire(found->second, now)) {
        return false;
    }
    Timer& timer = found->second;
    timer.firing = true;
    timer.due = AfterMs(timer.due, timer.periodMs);
    if (timer.due <= now) {
        timer.due = AfterMs(now, timer.periodMs);
    }
    return true;
}

void TimerSchedule::Fired(std::uintptr_t id) {
    const auto found = m_timers.find(id);
    if (found != m_timers.end()) {
        found->second.firing = false;
    }
}

}  // namespace platform::ui
