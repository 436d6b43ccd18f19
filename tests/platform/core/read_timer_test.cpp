// The read rule as a calculation: when a read of the modem port must end.

#include "platform/core/read_timer.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using platform::ReadTimer;
using platform::Timeouts;
using std::chrono::milliseconds;

constexpr Timeouts kModemPort{100, 1, 100, 0, 0};

struct Row {
    const char* name;
    Timeouts timeouts;
    std::uint32_t wanted;
    std::vector<int> byteTimesMs;  // when bytes arrived, from the read's start
    int nowMs;
    std::optional<std::uint32_t> remaining;
};

TEST(ReadTimer, TellsHowLongAReadMayStillWait) {
    const Row rows[] = {
        {"nothing yet: the total limit", kModemPort, 1024, {}, 0, 1124u},
        {"nothing at all: ends at 1 ms per byte + 100", kModemPort, 1024, {}, 1124, 0u},
        {"small read: total limit scales with the size", kModemPort, 10, {}, 0, 110u},
        {"one burst: 100 ms after its last byte", kModemPort, 1024, {10}, 10, 100u},
        {"quiet 100 ms after a byte: over", kModemPort, 1024, {10}, 110, 0u},
        {"gap just under the interval", kModemPort, 1024, {10, 109}, 150, 59u},
        {"steady trickle never beats the total", kModemPort, 1024, {1000, 1050, 1100}, 1100, 24u},
        {"interval alone waits for the first byte", {50, 0, 0, 0, 0}, 8, {}, 10000, std::nullopt},
        {"interval alone after a byte", {50, 0, 0, 0, 0}, 8, {5}, 20, 35u},
        {"no time-outs: wait without limit", {0, 0, 0, 0, 0}, 8, {3}, 1000, std::nullopt},
        {"return at once", {platform::kNoWait, 0, 0, 0, 0}, 8, {}, 0, 0u},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto start = ReadTimer::Clock::time_point{} + std::chrono::hours(1);
        ReadTimer timer(row.timeouts, row.wanted, start);
        for (int t : row.byteTimesMs) {
            timer.OnBytes(start + milliseconds(t));
        }
        EXPECT_EQ(timer.RemainingMs(start + milliseconds(row.nowMs)), row.remaining);
    }
}

TEST(ReadTimer, RoundsPartialMillisecondsUp) {
    const auto start = ReadTimer::Clock::time_point{} + std::chrono::hours(1);
    ReadTimer timer(kModemPort, 1, start);
    // 100.5 ms left of 101: waiting 100 would wake too early and spin once more.
    EXPECT_EQ(timer.RemainingMs(start + std::chrono::microseconds(500)), 101u);
}

}  // namespace
