#pragma once
// A backend for tests: an in-memory serial device with fault injection, events and threads whose
// waits run on a test clock (virtual unless the test asks for real time: test_clock.h), and a log
// of the calls in the order they were made. Reads, event waits and tests are not logged (the
// reader thread makes them in a loop); everything that changes state is.
//
// On virtual time a read waits until there is input or the device closes, without the device's
// read interval: a chunk is handed over as soon as it is there.
//
// Thread contract: every member may be called from any thread.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/message_box.h"
#include "platform/fake/test_clock.h"

namespace platform {

struct InjectedFaults {
    bool openFails = false;
    bool lineSettingsRejected = false;
    bool timeoutsRejected = false;
    bool threadStartFails = false;
    bool readsFail = false;   // every read fails at once, like a pulled USB adapter
    bool deviceGone = false;  // and the device says it is gone (with readsFail)
};

class FakeBackend final : public Backend {
public:
    explicit FakeBackend(InjectedFaults faults = {}, TestTime time = TestTime::kVirtual);
    ~FakeBackend() override;
    FakeBackend(const FakeBackend&) = delete;
    FakeBackend& operator=(const FakeBackend&) = delete;

    // Time: the calling thread lets `duration` pass; `action` runs on the clock's thread once
    // `delay` has passed (test_clock.h).
    void Advance(std::chrono::milliseconds duration) { m_clock.Advance(duration); }
    void At(std::chrono::milliseconds delay, std::function<void()> action);
    // Milliseconds since `since` on this backend's clock.
    long long MsSince(TimePoint since);

    // What the test sees.
    std::vector<std::string> Calls() const { return Locked(m_calls); }
    void ClearCalls();
    std::string Written() const { return Locked(m_written); }
    // Written() that starts afresh: a caller writing without end (a fuzz loop) stays bounded.
    std::string TakeWritten();
    int OpenCount() const { return Locked(m_openCount); }
    int ReadCount() const { return Locked(m_readCount); }
    bool DeviceIsOpen() const { return Locked(m_device).IsValid(); }
    LineSettings AppliedLineSettings() const { return Locked(m_lineSettings); }
    // A sink for ShowMessage that logs "Message(<text>)" in the call order.
    MessageSink RecordingSink();
    std::vector<std::u16string> Messages() const { return Locked(m_messages); }

    // What the device receives: a read returns it, in pieces of at most the read's size.
    void PushInput(const std::string& bytes);
    // The device goes as an unplugged USB modem does: the open one reads and writes no more and
    // says it is gone, and no open succeeds until Replug.
    void Unplug();
    void Replug();
    // Called with each written block, on the writing thread, after it is logged.
    void OnWrite(std::function<void(const std::string&)> hook);
    // Runs once, inside the next ResetEvent call and before the event is reset, on the calling
    // thread: lets a test land a chunk exactly between a waiter's look and its re-arming.
    void OnNextReset(std::function<void()> hook);

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
    void ReleaseAllDevices() override {}  // an in-memory device keeps no one out

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
    struct Thread;

    template <typename T>
    T Locked(const T& field) const {
        std::lock_guard<std::mutex> lock(m_lock);
        return field;
    }
    void Log(std::string call);
    bool LogFor(DeviceHandle device, std::string call);  // true when it is the open device
    bool IsCurrent(DeviceHandle device) const;           // caller holds m_lock
    bool IsUnplugged(DeviceHandle device) const;         // caller holds m_lock
    bool IsUsable(DeviceHandle device) const;            // open and not unplugged; the same

    const InjectedFaults m_faults;
    mutable TestClock m_clock;
    std::mutex& m_lock;  // the clock's: every wait looks at the state it guards
    std::vector<std::string> m_calls;
    std::vector<std::u16string> m_messages;
    std::function<void(const std::string&)> m_writeHook;
    std::function<void()> m_resetHook;
    DeviceHandle m_device;      // the one open device, or invalid
    DeviceHandle m_goneDevice;  // the open device when it was unplugged
    bool m_unplugged = false;
    std::intptr_t m_nextDevice = 1000;
    int m_openCount = 0;
    int m_readCount = 0;
    std::string m_input;
    std::string m_written;
    LineSettings m_lineSettings;
    Timeouts m_timeouts;
    std::intptr_t m_nextHandle = 1;
    std::map<std::intptr_t, bool> m_events;  // set or not
    std::map<std::intptr_t, std::shared_ptr<Thread>> m_threads;
};

}  // namespace platform
