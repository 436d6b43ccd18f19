#pragma once
// Handles of the operating-system objects the modem link uses. Each kind has its own type so a
// stop event cannot be passed where a device is expected. The values are opaque numbers from the
// backend's handle table; a device's "not open" value is -1, the others' "none" is 0.

#include <cstdint>

namespace platform {

struct DeviceHandle {
    std::intptr_t value = -1;
    bool IsValid() const { return value != -1; }
    friend bool operator==(DeviceHandle a, DeviceHandle b) { return a.value == b.value; }
};
inline constexpr DeviceHandle kInvalidDevice{};

struct EventHandle {
    std::intptr_t value = 0;
    explicit operator bool() const { return value != 0; }
};

struct ThreadHandle {
    std::intptr_t value = 0;
    explicit operator bool() const { return value != 0; }
};

// Outcome of waiting for an event or a thread. Callers that only care about "set" compare with
// kSignaled; a bad handle is kFailed, never mistaken for either of the others.
enum class WaitStatus { kSignaled, kTimeout, kFailed };

inline constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;

using ThreadProc = std::uint32_t (*)(void* arg);

}  // namespace platform
