#include "fake_backend.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/core/codepage.h"

namespace platform {
namespace {

std::string Number(std::intptr_t value) {
    return std::to_string(value);
}

}  // namespace

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
    m_inputArrived.notify_all();
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

bool FakeBackend::LogFor(DeviceHandle device, std::string call) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back(std::move(call));
    return IsCurrent(device);
}

DeviceHandle FakeBackend::OpenDevice(const std::u16string& name, OpenFailure) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("OpenDevice(" + Utf16ToUtf8(name) + ")");
    ++m_openCount;
    if (m_faults.openFails || m_device.IsValid()) {
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
    if (m_faults.readsFail) {
        return false;
    }
    const auto wait =
        std::chrono::milliseconds(std::max<std::uint32_t>(m_timeouts.readInterval, 1));
    m_inputArrived.wait_for(lock, wait, [&] { return !IsCurrent(device) || !m_input.empty(); });
    if (!IsCurrent(device)) {
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
        if (!IsCurrent(device)) {
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
    return m_faults.deviceGone && device.IsValid();
}

void FakeBackend::CloseDevice(DeviceHandle device) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back("CloseDevice");
    if (IsCurrent(device)) {
        m_device = kInvalidDevice;
        m_inputArrived.notify_all();
    }
}

EventHandle FakeBackend::CreateManualResetEvent() {
    EventHandle event = m_real.CreateManualResetEvent();
    Log("CreateEvent(" + Number(event.value) + ")");
    return event;
}

bool FakeBackend::SetEvent(EventHandle event) {
    Log("SetEvent(" + Number(event.value) + ")");
    return m_real.SetEvent(event);
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
    return m_real.ResetEvent(event);
}

WaitStatus FakeBackend::WaitForEvent(EventHandle event, std::uint32_t timeoutMs) {
    return m_real.WaitForEvent(event, timeoutMs);
}

void FakeBackend::CloseEvent(EventHandle event) {
    Log("CloseEvent(" + Number(event.value) + ")");
    m_real.CloseEvent(event);
}

ThreadHandle FakeBackend::StartThread(ThreadProc proc, void* arg) {
    Log("StartThread");
    if (m_faults.threadStartFails) {
        return ThreadHandle{};
    }
    return m_real.StartThread(proc, arg);
}

WaitStatus FakeBackend::WaitForThread(ThreadHandle thread, std::uint32_t timeoutMs) {
    Log("WaitForThread");
    return m_real.WaitForThread(thread, timeoutMs);
}

void FakeBackend::CloseThread(ThreadHandle thread) {
    Log("CloseThread");
    m_real.CloseThread(thread);
}

void FakeBackend::Sleep(std::uint32_t ms) {
    Log("Sleep(" + Number(ms) + ")");
    m_real.Sleep(ms);
}

}  // namespace platform
