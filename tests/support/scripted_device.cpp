#include "scripted_device.h"

#include <chrono>
#include <utility>

ScriptedDevice::ScriptedDevice(platform::FakeBackend& backend, ModemScript script, bool echo)
    : m_backend(backend), m_script(std::move(script)), m_echo(echo) {
    m_backend.OnWrite([this](const std::string& block) { Take(block); });
}

ScriptedDevice::~ScriptedDevice() {
    m_backend.OnWrite(nullptr);
}

std::vector<std::string> ScriptedDevice::Lines() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

void ScriptedDevice::Take(const std::string& block) {
    std::vector<ReceivedLine> lines;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_pending += block;
        lines = TakeReceivedLines(m_pending);
        for (const ReceivedLine& received : lines) {
            m_lines.push_back(received.line);
        }
    }
    for (const ReceivedLine& received : lines) {
        Answer(received);
    }
}

void ScriptedDevice::Answer(const ReceivedLine& received) {
    if (m_echo) {
        m_backend.PushInput(received.Echo());
    }
    int afterMs = 0;
    for (const Chunk& chunk : m_script(received.line)) {
        afterMs += chunk.afterMs;
        if (afterMs == 0) {
            m_backend.PushInput(chunk.bytes);
            continue;
        }
        platform::FakeBackend& backend = m_backend;
        m_backend.At(std::chrono::milliseconds(afterMs),
                     [&backend, bytes = chunk.bytes] { backend.PushInput(bytes); });
    }
}
