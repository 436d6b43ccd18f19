#pragma once
// The read rule of a serial device as a pure calculation: how long a read may still wait for its
// next byte, given its time-outs, how many bytes it wants and when bytes arrived.
//
// Example with the modem port's values (interval 100, 1 per byte, constant 100) and 1024 bytes
// wanted: nothing arrives -> the read ends 1124 ms after it began; bytes arrive every 50 ms ->
// it still ends at 1124 ms; one burst at t=10 -> it ends at t=110.

#include <chrono>
#include <cstdint>
#include <optional>

#include "platform/core/serial_settings.h"

namespace platform {

class ReadTimer {
public:
    using Clock = std::chrono::steady_clock;

    ReadTimer(const Timeouts& timeouts, std::uint32_t wanted, Clock::time_point start);

    // Call after each byte or group of bytes arrives.
    void OnBytes(Clock::time_point now) { m_lastByte = now; }

    // Milliseconds the read may still wait (rounded up), 0 when it must end now, or no value when
    // it may wait without limit.
    std::optional<std::uint32_t> RemainingMs(Clock::time_point now) const;

private:
    std::optional<Clock::time_point> m_totalDeadline;
    std::optional<std::chrono::milliseconds> m_interval;
    std::optional<Clock::time_point> m_lastByte;
    bool m_returnAtOnce = false;
};

}  // namespace platform
