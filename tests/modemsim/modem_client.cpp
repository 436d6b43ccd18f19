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

std::string ModemClient::ReadOnce() {
    std::uint8_t buffer[4096];
    std::uint32_t received = 0;
    platform::System().Read(m_device, buffer, sizeof buffer, received);
    return std::string(reinterpret_cast<const char*>(buffer), received);
}

std::string ModemClient::ReadAtLeast(std::size_t count, std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    std::string bytes;
    while (bytes.size() < count && Clock::now() < deadline) {
        bytes += ReadOnce();
    }
    return bytes;
}

std::string ModemClient::Exchange(std::string_view send, std::string_view expected,
                                  std::chrono::milliseconds limit) {
    Send(send);
    return ReadAtLeast(expected.size(), limit);
}

std::vector<ModemClient::Chunk> ModemClient::ReadChunks(std::chrono::milliseconds window) {
    const Clock::time_point deadline = Clock::now() + window;
    std::vector<Chunk> chunks;
    while (Clock::now() < deadline) {
        std::string bytes = ReadOnce();
        if (!bytes.empty()) {
            chunks.push_back({Clock::now(), std::move(bytes)});
        }
    }
    return chunks;
}

std::string ModemClient::ReadFor(std::chrono::milliseconds window) {
    std::string bytes;
    for (const Chunk& chunk : ReadChunks(window)) {
        bytes += chunk.bytes;
    }
    return bytes;
}
