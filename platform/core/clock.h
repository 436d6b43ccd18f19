#pragma once
// The time every time-out of the programs and the link is measured on. The real backend reads the
// system's steady clock; a test backend may keep a virtual one that moves only when it says.

#include <chrono>
#include <cstdint>

namespace platform {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

inline TimePoint AfterMs(TimePoint from, std::uint32_t ms) {
    return from + std::chrono::milliseconds(ms);
}

// Whole milliseconds from `now` until `deadline`, rounded up; 0 once it has passed.
inline std::uint32_t MsUntil(TimePoint now, TimePoint deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return left <= 0 ? 0u : static_cast<std::uint32_t>(left);
}

}  // namespace platform
