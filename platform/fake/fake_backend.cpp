#include "platform/fake/fake_backend.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/core/codepage.h"

namespace platform {
namespace {

std::string Number(std::intptr_t value) {
    return std::to_string(value);
}

}  // namespace

struct FakeBackend::Thread {
    // A thread nobody waited for must not take the process down with std::terminate.
    ~Thread() {
        if (thread.joinable()) {
            thread.detach();
        }
    }
    bool finished = false;  // under the clock's lock
    std::thread thread;
};

FakeBackend::FakeBackend(InjectedFaults faults, TestTime time)
    : m_faults(faults), m_clock(time), m_lock(m_clock.Lock()) {}

FakeBackend::~FakeBackend() {
    m_clock.Stop();  // no action may run once the state it touches goes
}

void FakeBackend::At(std::chrono::milliseconds delay, std::function<void()> action) {
    m_clock.At(delay, std::move(action));
}

long long FakeBackend::MsSince(TimePoint since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Now() - since).count();
}

TimePoint FakeBackend::Now() {
    return m_clock.Now();
}

void FakeBackend::ClearCalls() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.clear();
}

std::string FakeBackend::TakeWritten() {
    std::lock_guard<std::mutex> lock(m_lock);
    return std::exchange(m_written, {});
}

MessageSink FakeBackend::RecordingSink() {
    return [this](const std::u16string& text) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_messages.push_back(text);
        m_calls.push_back("Message(" + Utf16ToUtf8(text) + ")");
    };
}

void FakeBackend::PushInput(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_input += bytes;
    m_clock.Changed();
}

void FakeBackend::Unplug() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("Unplug");
    m_unplugged = true;
    m_goneDevice = m_device;
    m_clock.Changed();
}

void FakeBackend::Replug() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("Replug");
    m_unplugged = false;
}

void FakeBackend::OnWrite(std::function<void(const std::string&)> hook) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_writeHook = std::move(hook);
}

void FakeBackend::OnNextReset(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_resetHook = std::move(hook);
}

void FakeBackend::Log(std::string call) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back(std::move(call));
}

bool FakeBackend::IsCurrent(DeviceHandle device) const {
    return m_device.IsValid() && device == m_device;
}

bool FakeBackend::IsUnplugged(DeviceHandle device) const {
    return m_goneDevice.IsValid() && device == m_goneDevice;
}

bool FakeBackend::IsUsable(DeviceHandle device) const {
    return IsCurrent(device) && !IsUnplugged(device);
}

bool FakeBackend::LogFor(DeviceHandle device, std::string call) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back(std::move(call));
    return IsCurrent(device);
}

DeviceHandle FakeBackend::OpenDevice(const std::u16string& name, OpenFailure) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("OpenDevice(" + Utf16ToUtf8(name) + ")");
    ++m_openCount;
    if (m_faults.openFails || m_unplugged || m_device.IsValid()) {
        return kInvalidDevice;
    }
    m_device = DeviceHandle{m_nextDevice++};
    m_input.clear();
    return m_device;
}

bool FakeBackend::GetLineSettings(DeviceHandle device, LineSettings& settings) {
    settings = Locked(m_lineSettings);
    return LogFor(device, "GetLineSettings");
}

bool FakeBackend::SetLineSettings(DeviceHandle device, const LineSettings& settings) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("SetLineSettings");
    if (m_faults.lineSettingsRejected || !IsCurrent(device)) {
        return false;
    }
    m_lineSettings = settings;
    return true;
}

bool FakeBackend::SetEventMask(DeviceHandle device, std::uint32_t mask) {
    return LogFor(device, "SetEventMask(" + Number(mask) + ")");
}

bool FakeBackend::SetQueueSizes(DeviceHandle device, std::uint32_t input, std::uint32_t output) {
    return LogFor(device, "SetQueueSizes(" + Number(input) + "," + Number(output) + ")");
}

bool FakeBackend::GetTimeouts(DeviceHandle device, Timeouts& timeouts) {
    timeouts = Locked(m_timeouts);
    return LogFor(device, "GetTimeouts");
}

bool FakeBackend::SetTimeouts(DeviceHandle device, const Timeouts& timeouts) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("SetTimeouts(" + Number(timeouts.readInterval) + "," +
                      Number(timeouts.readTotalPerByte) + "," + Number(timeouts.readTotalConstant) +
                      "," + Number(timeouts.writeTotalPerByte) + "," +
                      Number(timeouts.writeTotalConstant) + ")");
    if (m_faults.timeoutsRejected || !IsCurrent(device)) {
        return false;
    }
    m_timeouts = timeouts;
    return true;
}

bool FakeBackend::Purge(DeviceHandle device) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("Purge");
    if (!IsCurrent(device)) {
        return false;
    }
    m_input.clear();
    return true;
}

bool FakeBackend::Read(DeviceHandle device, std::uint8_t* buffer, std::uint32_t size,
                       std::uint32_t& received) {
    received = 0;
    std::unique_lock<std::mutex> lock(m_lock);
    ++m_readCount;
    if (m_faults.readsFail || !IsUsable(device)) {
        return false;
    }
    const TimePoint deadline =
        m_clock.IsVirtual()
            ? TimePoint::max()
            : AfterMs(m_clock.NowLocked(), std::max<std::uint32_t>(m_timeouts.readInterval, 1));
    m_clock.Wait(lock, deadline, [&] { return !IsUsable(device) || !m_input.empty(); });
    if (!IsUsable(device)) {
        return false;
    }
    received = static_cast<std::uint32_t>(std::min<std::size_t>(size, m_input.size()));
    std::copy_n(m_input.begin(), received, buffer);
    m_input.erase(0, received);
    return true;
}

bool FakeBackend::Write(DeviceHandle device, const std::uint8_t* bytes, std::uint32_t size,
                        std::uint32_t& written) {
    written = 0;
    std::function<void(const std::string&)> hook;
    const std::string block(reinterpret_cast<const char*>(bytes), size);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_calls.push_back("Write(" + Number(size) + ")");
        if (!IsUsable(device)) {
            return false;
        }
        m_written += block;
        written = size;
        hook = m_writeHook;
    }
    if (hook) {
        hook(block);
    }
    return true;
}

bool FakeBackend::IsDeviceGone(DeviceHandle device) {
    std::lock_guard<std::mutex> lock(m_lock);
    return device.IsValid() && (m_faults.deviceGone || IsUnplugged(device));
}

void FakeBackend::CloseDevice(DeviceHandle device) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("CloseDevice");
    if (IsCurrent(device)) {
        m_device = kInvalidDevice;
        m_clock.Changed();
    }
}

EventHandle FakeBackend::CreateManualResetEvent() {
    std::lock_guard<std::mutex> lock(m_lock);
    const EventHandle event{m_nextHandle++};
    m_events[event.value] = false;
    m_calls.push_back("CreateEvent(" + Number(event.value) + ")");
    return event;
}

bool FakeBackend::SetEvent(EventHandle event) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("SetEvent(" + Number(event.value) + ")");
    const auto found = m_events.find(event.value);
    if (found == m_events.end()) {
        return false;
    }
    found->second = true;
    m_clock.Changed();
    return true;
}

bool FakeBackend::ResetEvent(EventHandle event) {
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_calls.push_back("ResetEvent(" + Number(event.value) + ")");
        hook = std::exchange(m_resetHook, nullptr);
    }
    if (hook) {
        hook();
    }
    std::lock_guard<std::mutex> lock(m_lock);
    const auto found = m_events.find(event.value);
    if (found == m_events.end()) {
        return false;
    }
    found->second = false;
    return true;
}

WaitStatus FakeBackend::WaitForEventUntil(EventHandle event, TimePoint deadline) {
    std::unique_lock<std::mutex> lock(m_lock);
    const auto isSetOrGone = [&] {
        const auto found = m_events.find(event.value);
        return found == m_events.end() || found->second;
    };
    const bool ended = m_clock.Wait(lock, deadline, isSetOrGone);
    if (m_events.count(event.value) == 0) {
        return WaitStatus::kFailed;
    }
    return ended ? WaitStatus::kSignaled : WaitStatus::kTimeout;
}

void FakeBackend::CloseEvent(EventHandle event) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("CloseEvent(" + Number(event.value) + ")");
    m_events.erase(event.value);
    m_clock.Changed();
}

ThreadHandle FakeBackend::StartThread(ThreadProc proc, void* arg) {
    Log("StartThread");
    if (m_faults.threadStartFails) {
        return ThreadHandle{};
    }
    auto record = std::make_shared<Thread>();
    m_clock.Enlist();
    try {
        record->thread = std::thread([this, proc, arg, record] {
            m_clock.Join();
            proc(arg);
            {
                std::lock_guard<std::mutex> lock(m_lock);
                record->finished = true;
                m_clock.Changed();
            }
            m_clock.Leave();
        });
    } catch (const std::system_error&) {
        m_clock.Leave();
        return ThreadHandle{};
    }
    std::lock_guard<std::mutex> lock(m_lock);
    const ThreadHandle thread{m_nextHandle++};
    m_threads[thread.value] = std::move(record);
    return thread;
}

WaitStatus FakeBackend::WaitForThread(ThreadHandle thread, std::uint32_t timeoutMs) {
    Log("WaitForThread");
    const TimePoint deadline = DeadlineAfter(*this, timeoutMs);
    std::unique_lock<std::mutex> lock(m_lock);
    const auto found = m_threads.find(thread.value);
    if (found == m_threads.end()) {
        return WaitStatus::kFailed;
    }
    const std::shared_ptr<Thread> record = found->second;
    if (!m_clock.Wait(lock, deadline, [&] { return record->finished; })) {
        return WaitStatus::kTimeout;
    }
    lock.unlock();
    if (record->thread.joinable() && record->thread.get_id() != std::this_thread::get_id()) {
        record->thread.join();  // it has only to return
    }
    return WaitStatus::kSignaled;
}

void FakeBackend::CloseThread(ThreadHandle thread) {
    Log("CloseThread");
    std::lock_guard<std::mutex> lock(m_lock);
    m_threads.erase(thread.value);
}

void FakeBackend::Sleep(std::uint32_t ms) {
    std::unique_lock<std::mutex> lock(m_lock);
    m_calls.push_back("Sleep(" + Number(ms) + ")");
    m_clock.Wait(lock, AfterMs(m_clock.NowLocked(), ms), [] { return false; });
}

}  // namespace platform
