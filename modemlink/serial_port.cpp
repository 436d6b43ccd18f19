#include "modemlink/serial_port.h"

#include <memory>
#include <string_view>

#include "modemlink/port_messages.h"
#include "modemlink/tracetext/trace_line.h"
#include "platform/core/backend.h"
#include "platform/core/error_lines.h"
#include "platform/core/message_box.h"

namespace {

constexpr std::uint32_t kChunkSize = 1024;
constexpr std::uint32_t kQueueSize = 16384;
// Reads end 100 ms after the last byte, or after 1 ms per wanted byte + 100 ms; writes never
// time out.
constexpr platform::Timeouts kReadRule{100, 1, 100, 0, 0};
// How long the reader rests after a failed read or while the device is closed, instead of
// spinning: a pulled USB adapter fails every read at once.
constexpr std::uint32_t kIdlePauseMs = 100;
constexpr std::uint32_t kStopGraceMs = 200;

// The dialogue for a user who asked to see it (--trace), in the simulated modem's own trace
// format; otherwise a chunk costs one relaxed load.
void Trace(char direction, const std::uint8_t* bytes, std::uint32_t count) {
    if (!platform::DialogueTraced()) {
        return;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes), count);
    platform::WriteDialogueLine(
        [&](double seconds) { return tracetext::TraceLine(seconds, direction, text); });
}

platform::LineControl ControlFor(std::uint32_t handshake) {
    return handshake != 0 ? platform::LineControl::kHandshake : platform::LineControl::kDisable;
}

}  // namespace

CSerialPort::~CSerialPort() {
    Close();
    if (!m_hThread) {
        return;
    }
    platform::Backend& system = platform::System();
    system.SetEvent(m_hStopEvent);
    // A reader whose device has gone reads nothing more and only waits for the stop: a window
    // that lets the gone device go at once is not held up.
    if (!m_lost.load()) {
        system.Sleep(kStopGraceMs);
    }
    // A callback may still be running (a ring handler, say); the object must outlive it.
    system.WaitForThread(m_hThread, platform::kWaitForever);
    system.CloseThread(m_hThread);
    system.CloseEvent(m_hStopEvent);
}

std::int32_t CSerialPort::Open(const std::u16string& portName, std::uint32_t baudRate,
                               std::uint8_t byteSize, std::uint8_t stopBits, std::uint8_t parity,
                               std::uint32_t dtrHandshake, std::uint32_t rtsHandshake,
                               void* owner) {
    if (m_hThread || IsOpen()) {
        Say(kPortCannotOpen);  // an object is opened once
        return 0;
    }
    platform::Backend& system = platform::System();
    const platform::DeviceHandle device =
        system.OpenDevice(portName, m_showOpenFailures ? platform::Backend::OpenFailure::kTellWhy
                                                       : platform::Backend::OpenFailure::kQuiet);
    m_hPort.store(device);
    if (!device.IsValid()) {
        Say(kPortCannotOpen);
        return 0;
    }
    system.GetLineSettings(device, m_lineSettings);
    m_lineSettings.baudRate = baudRate;
    m_lineSettings.byteSize = byteSize;
    m_lineSettings.parity = parity;
    m_lineSettings.stopBits = stopBits;
    m_lineSettings.binary = true;
    m_lineSettings.parityCheck = false;
    m_lineSettings.dtrControl = ControlFor(dtrHandshake);
    m_lineSettings.rtsControl = ControlFor(rtsHandshake);
    m_lineSettings.xonXoffOut = false;
    m_lineSettings.xonXoffIn = false;
    m_lineSettings.txContinueOnXoff = false;
    system.SetEventMask(device, platform::kEventRxChar);
    system.SetQueueSizes(device, kQueueSize, kQueueSize);
    if (!system.SetLineSettings(device, m_lineSettings)) {
        Fail(kPortCannotConfigure);
        return 0;
    }
    platform::Timeouts timeouts;
    system.GetTimeouts(device, timeouts);
    timeouts = kReadRule;
    if (!system.SetTimeouts(device, timeouts)) {
        Fail(kPortCannotSetTimeouts);
        return 0;
    }
    system.Purge(device);
    m_pUser = owner;
    m_hStopEvent = system.CreateManualResetEvent();
    // Without a stop event the reader could never be told to end: treat it as a failed start.
    if (m_hStopEvent) {
        m_hThread = system.StartThread(&CSerialPort::ReaderThread, this);
    }
    if (!m_hThread) {
        Close();
        Say(kPortThreadFailed);
        if (m_hStopEvent) {
            system.CloseEvent(m_hStopEvent);
            m_hStopEvent = platform::EventHandle{};
        }
        return 0;
    }
    return 1;
}

void CSerialPort::Fail(const char16_t* message) {
    Say(message);
    Close();
}

void CSerialPort::Say(const char16_t* message) const {
    if (m_showOpenFailures) {
        platform::ShowMessage(message);
    }
}

std::int32_t CSerialPort::IsOpen() const {
    return m_hPort.load().IsValid() ? 1 : 0;
}

std::int32_t CSerialPort::Close() {
    const platform::DeviceHandle device = m_hPort.exchange(platform::kInvalidDevice);
    if (!device.IsValid()) {
        return 0;
    }
    platform::Backend& system = platform::System();
    system.SetEventMask(device, platform::kEventNone);
    system.Purge(device);
    system.CloseDevice(device);
    return 1;
}

void CSerialPort::Write(const std::uint8_t* bytes, std::int32_t count) {
    const platform::DeviceHandle device = m_hPort.load();
    if (!device.IsValid()) {
        platform::ShowMessage(kPortNotOpen);
        return;
    }
    if (bytes == nullptr || count <= 0) {
        return;
    }
    Trace('<', bytes, static_cast<std::uint32_t>(count));
    std::uint32_t written = 0;
    if (!platform::System().Write(device, bytes, static_cast<std::uint32_t>(count), written) &&
        platform::System().IsDeviceGone(device)) {
        ReportLost();
    }
}

std::int32_t CSerialPort::IsLost() const {
    return m_lost.load() ? 1 : 0;
}

void CSerialPort::ReportLost() {
    if (m_lost.exchange(true)) {
        return;
    }
    const SerialLostCallback callback = m_pfnLost.load();
    if (callback != nullptr) {
        callback(m_pUser);
    }
}

void CSerialPort::DeliverChunk(const std::uint8_t* bytes, std::uint32_t count) const {
    const SerialDataCallback callback = m_pfnData.load();
    if (callback != nullptr) {
        callback(m_pUser, bytes, static_cast<std::int32_t>(count));
    }
}

std::uint32_t CSerialPort::ReaderThread(void* port) {
    auto* self = static_cast<CSerialPort*>(port);
    platform::Backend& system = platform::System();
    const auto buffer = std::make_unique<std::uint8_t[]>(kChunkSize);
    // Any answer but "not set yet" ends the loop: a failed test must not keep the thread alive.
    while (system.WaitForEvent(self->m_hStopEvent, 0) == platform::WaitStatus::kTimeout) {
        const platform::DeviceHandle device = self->m_hPort.load();
        std::uint32_t received = 0;
        if (!device.IsValid() || !system.Read(device, buffer.get(), kChunkSize, received)) {
            // A device that has gone never answers again: say so once and read no more.
            const bool gone = device.IsValid() && system.IsDeviceGone(device);
            if (gone) {
                self->ReportLost();
            }
            system.WaitForEvent(self->m_hStopEvent, gone ? platform::kWaitForever : kIdlePauseMs);
            continue;
        }
        if (received > 0) {
            Trace('>', buffer.get(), received);
            self->DeliverChunk(buffer.get(), received);
        }
    }
    return 0;
}
