#include "scripted_device.h"

#include <chrono>
#include <utility>

namespace {

constexpr char kCtrlZ = '\x1A';

}  // namespace

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
    std::vector<std::pair<std::string, bool>> lines;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_pending += block;
        for (std::size_t end; (end = m_pending.find_first_of("\r\x1A")) != std::string::npos;) {
            const std::size_t start = m_pending[0] == '\n' ? 1 : 0;
            lines.emplace_back(m_pending.substr(start, end - start), m_pending[end] == kCtrlZ);
            m_pending.erase(0, end + 1);
            m_lines.push_back(lines.back().first);
        }
    }
    for (const auto& [line, text] : lines) {
        Answer(line, text);
    }
}

void ScriptedDevice::Answer(const std::string& line, bool text) {
    if (m_echo) {
        m_backend.PushInput(text ? line : line + "\r");
    }
    int afterMs = 0;
    for (const Chunk& chunk : m_script(line)) {
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
