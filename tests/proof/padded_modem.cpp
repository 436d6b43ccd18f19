#include "padded_modem.h"

#include <stdexcept>

#include "platform/core/codepage.h"

PaddedModem::PaddedModem(Script script)
    : m_script(std::move(script)), m_pty(platform::PseudoTerminal::Create()) {
    if (!m_pty) {
        throw std::runtime_error("no pseudo-terminal available");
    }
    m_thread = std::thread([this] { Serve(); });
}

PaddedModem::~PaddedModem() {
    m_stopping = true;
    m_pty->Interrupt();
    m_thread.join();
}

std::u16string PaddedModem::DeviceName() const {
    return platform::Utf8ToUtf16(m_pty->SlavePath());
}

std::string PaddedModem::Padded(const std::string& answer) {
    // The answers begin with CR LF, which ends the filler line.
    const std::string head = "\r\n+PAD: ";
    const std::size_t used = (head.size() + answer.size()) % kReadSize;
    const std::size_t filler = used == 0 ? 0 : kReadSize - used;
    return head + std::string(filler, 'x') + answer;
}

void PaddedModem::Serve() {
    std::string pending;
    while (!m_stopping) {
        pending += m_pty->Read(-1);
        for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
            const std::string answer = m_script(pending.substr(0, end));
            pending.erase(0, end + 2);
            ++m_lines;
            if (!answer.empty()) {
                m_pty->Write(Padded(answer));
            }
        }
    }
}
