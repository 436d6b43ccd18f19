#pragma once
// One serial device with its reader thread. Open configures the device (8N1 raw, DTR/RTS raised,
// reads of up to 1024 bytes ended by 100 ms of silence) and starts a thread that hands every
// received chunk to m_pfnData; Write sends synchronously; failures the user must see
// (port_messages.h) go through the platform's message box. When the program traces its dialogue
// (--trace, platform/core/error_lines.h), each chunk read and each write is a line on stderr too.
//
// Thread contract: the owning thread calls Open, IsOpen, Write, Close and the destructor; the
// reader thread only reads the device and runs m_pfnData. m_hPort and m_pfnData are atomic
// because the reader loads them on every pass while the owner may change them. Destruction
// closes the device, tells the reader to stop and waits until it has ended, so the callback never
// runs after the destructor returns.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/core/handles.h"
#include "platform/core/serial_settings.h"

// Called on the reader thread with each non-empty chunk; the bytes are only valid during the call.
using SerialDataCallback = void (*)(void* user, const std::uint8_t* bytes, std::int32_t count);
// Called once when the device has gone, on the thread that found out (the reader, or the writer).
using SerialLostCallback = void (*)(void* user);

class CSerialPort {
public:
    CSerialPort() = default;
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // 1 on success; 0 after the reason has been shown. Called once per object.
    std::int32_t Open(const std::u16string& portName, std::uint32_t baudRate, std::uint8_t byteSize,
                      std::uint8_t stopBits, std::uint8_t parity, std::uint32_t dtrHandshake,
                      std::uint32_t rtsHandshake, void* owner);
    std::int32_t IsOpen() const;
    // 1 after closing the device, 0 when it was not open. The reader thread keeps running.
    std::int32_t Close();
    void Write(const std::uint8_t* bytes, std::int32_t count);
    // 1 once the device has gone (unplugged, reset): nothing is read or written any more.
    std::int32_t IsLost() const;
    // Off while a program looks for a device that has gone to come back: a failed Open then shows
    // nothing, since failing is what it expects until the device is there again.
    void ShowOpenFailures(bool on) { m_showOpenFailures = on; }

    static std::uint32_t ReaderThread(void* port);

    // Installed by the owner after a successful Open; chunks read while it is empty are dropped.
    std::atomic<SerialDataCallback> m_pfnData{nullptr};
    std::atomic<SerialLostCallback> m_pfnLost{nullptr};

private:
    void Fail(const char16_t* message);
    void Say(const char16_t* message) const;
    void DeliverChunk(const std::uint8_t* bytes, std::uint32_t count) const;
    void ReportLost();

    void* m_pUser = nullptr;
    platform::LineSettings m_lineSettings{};
    platform::ThreadHandle m_hThread;
    platform::EventHandle m_hStopEvent;
    std::atomic<platform::DeviceHandle> m_hPort{platform::kInvalidDevice};
    std::atomic<bool> m_lost{false};
    bool m_showOpenFailures = true;
};
