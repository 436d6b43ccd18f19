#include "platform/core/read_timer.h"

#include <algorithm>

namespace platform {
namespace {

// About 24 days: longer waits are cut to this, which still outlasts any real read.
constexpr std::uint32_t kLongestWaitMs = 0x7FFFFFFF;

}  // namespace

ReadTimer::ReadTimer(const Timeouts& timeouts, std::uint32_t wanted, Clock::time_point start) {
    if (timeouts.readInterval == kNoWait && timeouts.readTotalPerByte == 0 &&
        timeouts.readTotalConstant == 0) {
        m_returnAtOnce = true;
        return;
    }
    // At most 2^32 x 2^32 + 2^32: fits in 64 bits, but not as a steady_clock time point.
    const std::uint64_t total = std::min<std::uint64_t>(
        std::uint64_t{timeouts.readTotalPerByte} * wanted + timeouts.readTotalConstant,
        kLongestWaitMs);
    if (total > 0) {
        m_totalDeadline = start + std::chrono::milliseconds(total);
    }
    if (timeouts.readInterval > 0 && timeouts.readInterval != kNoWait) {
        m_interval = std::chrono::milliseconds(timeouts.readInterval);
    }
}

std::optional<std::uint32_t> ReadTimer::RemainingMs(Clock::time_point now) const {
    if (m_returnAtOnce) {
        return 0u;
    }
    std::optional<Clock::time_point> deadline = m_totalDeadline;
    // The interval only starts counting once the first byte is in.
    if (m_interval && m_lastByte) {
        Clock::time_point intervalEnd = *m_lastByte + *m_interval;
        deadline = deadline ? std::min(*deadline, intervalEnd) : intervalEnd;
    }
    if (!deadline) {
        return std::nullopt;
    }
    if (*deadline <= now) {
        return 0u;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now).count();
    return static_cast<std::uint32_t>(std::min<long long>(left, kLongestWaitMs));
}

}  // namespace platform
