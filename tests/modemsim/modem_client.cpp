#include "modem_client.h"

#include <cstdint>

#include "platform/core/backend.h"
#include "platform/core/codepage.h"

ModemClient::ModemClient(const std::string& devicePath)
    : m_device(platform::System().OpenDevice(platform::Utf8ToUtf16(devicePath))) {
    // Each read returns 10 ms after the last byte of a burst, and after 30 ms at most, so waits
    // block in the device rather than spin and still notice silence quickly.
    if (m_device.IsValid()) {
        platform::System().SetTimeouts(m_device, {10, 0, 30, 0, 0});
    }
}

ModemClient::~ModemClient() {
    if (m_device.IsValid()) {
        platform::System().CloseDevice(m_device);
    }
}

void ModemClient::Send(std::string_view bytes) {
    std::uint32_t written = 0;
    platform::System().Write(m_device, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                             static_cast<std::uint32_t>(bytes.size()), written);
}

std::string ModemClient::ReadUntil(std::chrono::steady_clock::time_point deadline,
                                   std::size_t count) {
    std::string bytes;
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::uint8_t buffer[4096];
        std::uint32_t received = 0;
        platform::System().Read(m_device, buffer, sizeof buffer, received);
        bytes.append(reinterpret_cast<const char*>(buffer), received);
    }
    return bytes;
}

std::string ModemClient::ReadAtLeast(std::size_t count, std::chrono::milliseconds limit) {
    return ReadUntil(std::chrono::steady_clock::now() + limit, count);
}

std::string ModemClient::Exchange(std::string_view send, std::string_view expected,
                                  std::chrono::milliseconds limit) {
    Send(send);
    return ReadAtLeast(expected.size(), limit);
}

std::string ModemClient::ReadFor(std::chrono::milliseconds window) {
    return ReadUntil(std::chrono::steady_clock::now() + window, std::string::npos);
}
