#pragma once
// The terminal side of a simulator's pseudo-terminal, opened as a serial device like the programs
// do, with short read time-outs so a test can wait for exact bytes or for silence.

#include <chrono>
#include <string>
#include <string_view>

#include "platform/core/handles.h"

class ModemClient {
public:
    explicit ModemClient(const std::string& devicePath);
    ~ModemClient();
    ModemClient(const ModemClient&) = delete;
    ModemClient& operator=(const ModemClient&) = delete;

    bool IsOpen() const { return m_device.IsValid(); }
    void Send(std::string_view bytes);
    // What came until at least `count` bytes are in or `limit` has passed.
    std::string ReadAtLeast(std::size_t count, std::chrono::milliseconds limit);
    // Sends and returns as many bytes as the expected answer has (or fewer on time-out).
    std::string Exchange(std::string_view send, std::string_view expected,
                         std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    // Everything that comes within the window.
    std::string ReadFor(std::chrono::milliseconds window);

private:
    std::string ReadUntil(std::chrono::steady_clock::time_point deadline, std::size_t count);

    platform::DeviceHandle m_device;
};
