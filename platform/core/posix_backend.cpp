#include "platform/core/posix_backend.h"

#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>

#include "platform/core/device_holders.h"
#include "platform/core/device_name.h"
#include "platform/core/manual_reset_event.h"
#include "platform/core/open_failure.h"
#include "platform/core/posix_serial_device.h"

namespace platform {

// The std::thread lives here; the thread itself only holds the completion event, so whichever
// side lets go last, no thread ever destroys its own std::thread.
struct ThreadRecord {
    // A thread nobody waited for (a port still open when the process ends) must not take the
    // process down with std::terminate.
    ~ThreadRecord() {
        if (thread.joinable()) {
            thread.detach();
        }
    }
    std::mutex joinLock;
    std::thread thread;
    std::shared_ptr<ManualResetEvent> finished = std::make_shared<ManualResetEvent>();
};

std::intptr_t NextHandleValue() {
    static std::atomic<std::intptr_t> next{1};
    return next.fetch_add(1);
}

PosixBackend::PosixBackend() = default;
PosixBackend::~PosixBackend() = default;

DeviceHandle PosixBackend::OpenDevice(const std::u16string& name, OpenFailure failure) {
    const std::string path = DevicePathFor(name);
    int error = 0;
    std::shared_ptr<PosixSerialDevice> device = PosixSerialDevice::Open(path, error);
    if (!device) {
        if (failure == OpenFailure::kTellWhy) {
            ReportOpenFailure(path, error);
        }
        return kInvalidDevice;
    }
    // Once per open: a reconnect's probe that finds no device costs no scan.
    ReportOtherHolders(path);
    return DeviceHandle{m_devices.Add(std::move(device))};
}

bool PosixBackend::GetLineSettings(DeviceHandle device, LineSettings& settings) {
    auto found = m_devices.Find(device.value);
    return found && found->GetLineSettings(settings);
}

bool PosixBackend::SetLineSettings(DeviceHandle device, const LineSettings& settings) {
    auto found = m_devices.Find(device.value);
    return found && found->SetLineSettings(settings);
}

// A tty reports nothing the port waits for and has no adjustable queues; both are accepted so a
// configuration written for any serial device works here.
bool PosixBackend::SetEventMask(DeviceHandle device, std::uint32_t /*mask*/) {
    return m_devices.Find(device.value) != nullptr;
}

bool PosixBackend::SetQueueSizes(DeviceHandle device, std::uint32_t /*input*/,
                                 std::uint32_t /*output*/) {
    return m_devices.Find(device.value) != nullptr;
}

bool PosixBackend::GetTimeouts(DeviceHandle device, Timeouts& timeouts) {
    auto found = m_devices.Find(device.value);
    if (!found) {
        return false;
    }
    timeouts = found->GetTimeouts();
    return true;
}

bool PosixBackend::SetTimeouts(DeviceHandle device, const Timeouts& timeouts) {
    auto found = m_devices.Find(device.value);
    if (!found) {
        return false;
    }
    found->SetTimeouts(timeouts);
    return true;
}

bool PosixBackend::Purge(DeviceHandle device) {
    auto found = m_devices.Find(device.value);
    return found && found->Purge();
}

bool PosixBackend::Read(DeviceHandle device, std::uint8_t* buffer, std::uint32_t size,
                        std::uint32_t& received) {
    received = 0;
    auto found = m_devices.Find(device.value);
    return found && found->Read(buffer, size, received);
}

bool PosixBackend::Write(DeviceHandle device, const std::uint8_t* bytes, std::uint32_t size,
                         std::uint32_t& written) {
    written = 0;
    auto found = m_devices.Find(device.value);
    return found && found->Write(bytes, size, written);
}

bool PosixBackend::IsDeviceGone(DeviceHandle device) {
    auto found = m_devices.Find(device.value);
    return found && found->IsGone();
}

void PosixBackend::CloseDevice(DeviceHandle device) {
    // The descriptor closes when the last user (perhaps a read on the reader thread) lets go;
    // the interrupt makes that read return now.
    if (auto found = m_devices.Remove(device.value)) {
        found->Interrupt();
    }
}

void PosixBackend::ReleaseAllDevices() {
    for (const std::shared_ptr<PosixSerialDevice>& device : m_devices.All()) {
        device->ReleaseExclusive();
    }
}

EventHandle PosixBackend::CreateManualResetEvent() {
    return EventHandle{m_events.Add(std::make_shared<ManualResetEvent>())};
}

bool PosixBackend::SetEvent(EventHandle event) {
    auto found = m_events.Find(event.value);
    if (found) {
        found->Set();
    }
    return found != nullptr;
}

bool PosixBackend::ResetEvent(EventHandle event) {
    auto found = m_events.Find(event.value);
    if (found) {
        found->Reset();
    }
    return found != nullptr;
}

WaitStatus PosixBackend::WaitForEventUntil(EventHandle event, TimePoint deadline) {
    auto found = m_events.Find(event.value);
    if (!found) {
        return WaitStatus::kFailed;
    }
    return found->WaitUntil(deadline) ? WaitStatus::kSignaled : WaitStatus::kTimeout;
}

void PosixBackend::CloseEvent(EventHandle event) {
    m_events.Remove(event.value);
}

ThreadHandle PosixBackend::StartThread(ThreadProc proc, void* arg) {
    auto record = std::make_shared<ThreadRecord>();
    try {
        record->thread = std::thread([proc, arg, finished = record->finished] {
            proc(arg);
            finished->Set();
        });
    } catch (const std::system_error&) {
        return ThreadHandle{};
    }
    return ThreadHandle{m_threads.Add(std::move(record))};
}

WaitStatus PosixBackend::WaitForThread(ThreadHandle thread, std::uint32_t timeoutMs) {
    auto found = m_threads.Find(thread.value);
    if (!found) {
        return WaitStatus::kFailed;
    }
    if (!found->finished->Wait(timeoutMs)) {
        return WaitStatus::kTimeout;
    }
    std::lock_guard<std::mutex> lock(found->joinLock);
    if (found->thread.joinable()) {
        found->thread.join();
    }
    return WaitStatus::kSignaled;
}

void PosixBackend::CloseThread(ThreadHandle thread) {
    auto found = m_threads.Remove(thread.value);
    if (!found) {
        return;
    }
    std::lock_guard<std::mutex> lock(found->joinLock);
    if (found->thread.joinable()) {
        found->thread.detach();
    }
}

TimePoint PosixBackend::Now() {
    return Clock::now();
}

void PosixBackend::Sleep(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

WaitStatus Backend::WaitForEvent(EventHandle event, std::uint32_t timeoutMs) {
    return WaitForEventUntil(event, DeadlineAfter(*this, timeoutMs));
}

TimePoint DeadlineAfter(Backend& backend, std::uint32_t timeoutMs) {
    return timeoutMs == kWaitForever ? TimePoint::max() : AfterMs(backend.Now(), timeoutMs);
}

namespace {

std::atomic<Backend*> g_installed{nullptr};

}  // namespace

Backend& System() {
    Backend* installed = g_installed.load();
    if (installed != nullptr) {
        return *installed;
    }
    // Never destroyed: objects with static lifetime (a program's channel, say) may still close
    // their devices and stop their threads during exit.
    static PosixBackend& real = *new PosixBackend;
    return real;
}

ScopedBackend::ScopedBackend(Backend& backend) : m_previous(g_installed.exchange(&backend)) {}

ScopedBackend::~ScopedBackend() {
    g_installed.store(m_previous);
}

}  // namespace platform
