#include "scripted_modem.h"

#include <stdexcept>

#include "platform/core/codepage.h"

ScriptedModem::ScriptedModem(Script script)
    : m_script(std::move(script)), m_pty(platform::PseudoTerminal::Create()) {
    if (!m_pty) {
        throw std::runtime_error("no pseudo-terminal available");
    }
    m_thread = std::thread([this] { Serve(); });
}

ScriptedModem::~ScriptedModem() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stopping = true;
    }
    m_pty->Interrupt();
    m_thread.join();
}

std::u16string ScriptedModem::DeviceName() const {
    return platform::Utf8ToUtf16(DevicePath());
}

std::string ScriptedModem::Received() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_received;
}

std::vector<std::string> ScriptedModem::Lines() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

void ScriptedModem::Serve() {
    std::string pending;
    for (;;) {
        const std::string bytes = m_pty->Read(-1);
        std::vector<std::string> complete;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (m_stopping) {
                return;
            }
            m_received += bytes;
            pending += bytes;
            for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
                complete.push_back(pending.substr(0, end));
                pending.erase(0, end + 2);
            }
        }
        for (const std::string& line : complete) {
            int index;
            {
                std::lock_guard<std::mutex> lock(m_lock);
                index = static_cast<int>(m_lines.size());
                m_lines.push_back(line);
            }
            const std::string answer = m_script(line, index);
            if (!answer.empty()) {
                m_pty->Write(answer);
            }
        }
    }
}

ScriptedModem::Script AnswerEverything(const std::string& answer) {
    return [answer](const std::string&, int) { return answer; };
}
