#pragma once
// The operating-system roles the modem link needs, behind one interface: serial devices,
// manual-reset events, threads, the clock and the waits on it. The real backend runs on POSIX;
// tests install a backend with fault injection, a call log and a virtual clock. All calls are
// safe from any thread.

#include <cstdint>
#include <string>

#include "platform/core/clock.h"
#include "platform/core/handles.h"
#include "platform/core/serial_settings.h"

namespace platform {

class Backend {
public:
    virtual ~Backend() = default;

    // Serial devices. Open gives kInvalidDevice when the device is missing, unusable or held by
    // anyone else (this process included); the real backend also says why on stderr, unless the
    // caller expects the failure (it looks for a device that has gone to come back); once open,
    // it names on stderr any other process that holds the device too.
    enum class OpenFailure { kTellWhy, kQuiet };
    virtual DeviceHandle OpenDevice(const std::u16string& name,
                                    OpenFailure failure = OpenFailure::kTellWhy) = 0;
    virtual bool GetLineSettings(DeviceHandle device, LineSettings& settings) = 0;
    virtual bool SetLineSettings(DeviceHandle device, const LineSettings& settings) = 0;
    virtual bool SetEventMask(DeviceHandle device, std::uint32_t mask) = 0;
    virtual bool SetQueueSizes(DeviceHandle device, std::uint32_t input, std::uint32_t output) = 0;
    virtual bool GetTimeouts(DeviceHandle device, Timeouts& timeouts) = 0;
    virtual bool SetTimeouts(DeviceHandle device, const Timeouts& timeouts) = 0;
    // Discards what waits in both directions.
    virtual bool Purge(DeviceHandle device) = 0;
    // Blocks within the device's read time-outs. A read in progress when the device is closed
    // returns at once with what it has.
    virtual bool Read(DeviceHandle device, std::uint8_t* buffer, std::uint32_t size,
                      std::uint32_t& received) = 0;
    virtual bool Write(DeviceHandle device, const std::uint8_t* bytes, std::uint32_t size,
                       std::uint32_t& written) = 0;
    // True once the device has gone (unplugged, reset, its other side closed): reads and writes
    // on it fail for good. False for an unknown handle.
    virtual bool IsDeviceGone(DeviceHandle device) = 0;
    virtual void CloseDevice(DeviceHandle device) = 0;
    // For a process about to end without closing its devices (a second termination signal): lets
    // other openers into every open device now, since no close will. Closes nothing and waits for
    // no user of a device, so a thread blocked in a read or a command cannot hold it up.
    virtual void ReleaseAllDevices() = 0;

    // Manual-reset events, created not set.
    virtual EventHandle CreateManualResetEvent() = 0;
    virtual bool SetEvent(EventHandle event) = 0;
    virtual bool ResetEvent(EventHandle event) = 0;
    // Until the event is set or Now() has reached the deadline; a deadline already passed only
    // tests the state, TimePoint::max() waits without limit.
    virtual WaitStatus WaitForEventUntil(EventHandle event, TimePoint deadline) = 0;
    // timeoutMs 0 only tests the state; kWaitForever waits without limit.
    WaitStatus WaitForEvent(EventHandle event, std::uint32_t timeoutMs);
    virtual void CloseEvent(EventHandle event) = 0;

    // Threads start at once with the default stack. Closing a handle does not end the thread.
    virtual ThreadHandle StartThread(ThreadProc proc, void* arg) = 0;
    virtual WaitStatus WaitForThread(ThreadHandle thread, std::uint32_t timeoutMs) = 0;
    virtual void CloseThread(ThreadHandle thread) = 0;

    // Every time-out of the programs and the link is measured on this clock.
    virtual TimePoint Now() = 0;
    virtual void Sleep(std::uint32_t ms) = 0;
};

// The deadline of a wait of `timeoutMs` that starts now (kWaitForever: none).
TimePoint DeadlineAfter(Backend& backend, std::uint32_t timeoutMs);

// The backend in use: the POSIX one unless a test has installed another.
Backend& System();

// Installs a backend for the lifetime of this object (tests only; not thread-safe against calls
// in flight, so install before any port is created).
class ScopedBackend {
public:
    explicit ScopedBackend(Backend& backend);
    ~ScopedBackend();
    ScopedBackend(const ScopedBackend&) = delete;
    ScopedBackend& operator=(const ScopedBackend&) = delete;

private:
    Backend* m_previous;
};

}  // namespace platform
