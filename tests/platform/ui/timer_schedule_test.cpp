// A window timer's periods: counted from when it was due, never from when its handler ran.

#include "platform/ui/timer_schedule.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using platform::ui::TimerSchedule;

namespace {

platform::TimePoint At(std::uint32_t ms) {
    return platform::AfterMs(platform::TimePoint{}, ms);
}

// A 1000 ms timer started at 0 ms (and again at `restartMs`), first due at `dueMs`, fired at
// `firedMs`: while its handler runs it is due no more, and afterwards next at `nextMs`.
TEST(TimerSchedule, NextPeriodComesFromWhenItWasDue) {
    const struct {
        const char* name;
        std::optional<std::uint32_t> restartMs;
        std::uint32_t dueMs;
        std::uint32_t firedMs;
        std::uint32_t nextMs;
    } rows[] = {
        {"fired on time", std::nullopt, 1000, 1000, 2000},
        {"fired late within a period", std::nullopt, 1000, 1300, 2000},
        {"fired late past a whole period: from then", std::nullopt, 1000, 2500, 3500},
        {"started again while running: its period starts again", 200, 1200, 1200, 2200},
    };
    constexpr std::uintptr_t kId = 7;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TimerSchedule timers;
        timers.Start(kId, 1000, At(0));
        if (row.restartMs) {
            timers.Start(kId, 1000, At(*row.restartMs));
        }
        EXPECT_TRUE(timers.DueAt(At(row.dueMs - 1)).empty());
        EXPECT_EQ(timers.NextDue(), At(row.dueMs));
        ASSERT_TRUE(timers.Begin(kId, At(row.firedMs)));
        EXPECT_EQ(timers.NextDue(), std::nullopt);
        EXPECT_TRUE(timers.DueAt(At(row.firedMs + 5000)).empty());
        timers.Fired(kId);
        EXPECT_EQ(timers.NextDue(), At(row.nextMs));
        EXPECT_EQ(timers.DueAt(At(row.nextMs)), std::vector<std::uintptr_t>{kId});
    }
}

}  // namespace
