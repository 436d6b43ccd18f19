#include "scripted_modem.h"

#include <stdexcept>

#include "platform/core/codepage.h"

ScriptedModem::ScriptedModem(Script script, ModemOptions options)
    : m_script(std::move(script)), m_options(options), m_pty(platform::PseudoTerminal::Create()) {
    if (!m_pty) {
        throw std::runtime_error("no pseudo-terminal available");
    }
    m_thread = std::thread([this] { Serve(); });
}

ScriptedModem::~ScriptedModem() {
    m_stopping = true;
    m_pty->Interrupt();
    m_thread.join();
}

std::u16string ScriptedModem::DeviceName() const {
    return platform::Utf8ToUtf16(m_pty->SlavePath());
}

std::vector<std::string> ScriptedModem::Lines() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

std::string ScriptedModem::Padded(const std::string& bytes) {
    // The CR LF in front of every answer ends the filler line.
    const std::string head = "\r\n+PAD: ";
    const std::size_t used = (head.size() + bytes.size()) % kReadSize;
    return head + std::string(used == 0 ? 0 : kReadSize - used, 'x') + bytes;
}

void ScriptedModem::Serve() {
    std::string pending;
    while (!m_stopping) {
        pending += m_pty->Read(-1);
        for (const ReceivedLine& received : TakeReceivedLines(pending)) {
            Answer(received);
        }
    }
}

void ScriptedModem::Answer(const ReceivedLine& received) {
    ++m_lineCount;
    if (m_options.keepLines) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_lines.push_back(received.line);
    }
    if (m_options.echo) {
        m_pty->Write(received.Echo());
    }
    for (const Chunk& chunk : m_script(received.line)) {
        if (m_stopping) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(chunk.afterMs));
        m_pty->Write(m_options.padded ? Padded(chunk.bytes) : chunk.bytes);
    }
}
