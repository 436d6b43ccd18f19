#pragma once
// The real backend: tty devices through PosixSerialDevice, events, threads and the steady clock
// from the standard library, each kept in a handle table.

#include <memory>

#include "platform/core/backend.h"
#include "platform/core/handle_table.h"

namespace platform {

class ManualResetEvent;
class PosixSerialDevice;
struct ThreadRecord;

class PosixBackend final : public Backend {
public:
    PosixBackend();
    ~PosixBackend() override;

    DeviceHandle OpenDevice(const std::u16string& name,
                            OpenFailure failure = OpenFailure::kTellWhy) override;
    bool GetLineSettings(DeviceHandle device, LineSettings& settings) override;
    bool SetLineSettings(DeviceHandle device, const LineSettings& settings) override;
    bool SetEventMask(DeviceHandle device, std::uint32_t mask) override;
    bool SetQueueSizes(DeviceHandle device, std::uint32_t input, std::uint32_t output) override;
    bool GetTimeouts(DeviceHandle device, Timeouts& timeouts) override;
    bool SetTimeouts(DeviceHandle device, const Timeouts& timeouts) override;
    bool Purge(DeviceHandle device) override;
    bool Read(DeviceHandle device, std::uint8_t* buffer, std::uint32_t size,
              std::uint32_t& received) override;
    bool Write(DeviceHandle device, const std::uint8_t* bytes, std::uint32_t size,
               std::uint32_t& written) override;
    bool IsDeviceGone(DeviceHandle device) override;
    void CloseDevice(DeviceHandle device) override;
    void ReleaseAllDevices() override;

    EventHandle CreateManualResetEvent() override;
    bool SetEvent(EventHandle event) override;
    bool ResetEvent(EventHandle event) override;
    WaitStatus WaitForEventUntil(EventHandle event, TimePoint deadline) override;
    void CloseEvent(EventHandle event) override;

    ThreadHandle StartThread(ThreadProc proc, void* arg) override;
    WaitStatus WaitForThread(ThreadHandle thread, std::uint32_t timeoutMs) override;
    void CloseThread(ThreadHandle thread) override;

    TimePoint Now() override;
    void Sleep(std::uint32_t ms) override;

private:
    HandleTable<PosixSerialDevice> m_devices;
    HandleTable<ManualResetEvent> m_events;
    HandleTable<ThreadRecord> m_threads;
};

}  // namespace platform
