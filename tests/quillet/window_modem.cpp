#include "window_modem.h"

#include <chrono>
#include <thread>

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

WindowModem::WindowModem(platform::FakeBackend& backend) : m_backend(backend) {
    m_backend.OnWrite([this](const std::string& block) {
        const std::string answer = Answer(block);
        int delayMs = 0;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            delayMs = block.compare(0, 9, "AT+CMGR=1") == 0 ? m_readDelayMs : 0;
        }
        // On the writing thread: the read takes that much longer, as with a slow modem.
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        if (!answer.empty()) {
            m_backend.PushInput(answer);
        }
    });
}

WindowModem::~WindowModem() {
    m_backend.OnWrite(nullptr);
}

void WindowModem::Store(const std::string& sender, const std::string& text, bool unread) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stored = true;
    m_unread = unread;
    m_sender = sender;
    m_text = text;
}

bool WindowModem::SlotEmpty() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return !m_stored;
}

void WindowModem::SetPromptAnswer(const std::string& answer) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_promptAnswer = answer;
}

void WindowModem::SetSendAnswer(const std::string& answer) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_sendAnswer = answer;
}

void WindowModem::SetReadDelay(int ms) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_readDelayMs = ms;
}

void WindowModem::SetCentreAnswer(const std::string& answer) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_centreAnswer = answer;
}

std::vector<std::string> WindowModem::Lines() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

int WindowModem::CountOf(const std::string& line) const {
    int count = 0;
    for (const std::string& each : Lines()) {
        count += each == line ? 1 : 0;
    }
    return count;
}

std::string WindowModem::ReadSlot() {
    if (!m_stored) {
        return "\r\nERROR\r\n";
    }
    const char* status = m_unread ? "REC UNREAD" : "REC READ";
    m_unread = false;
    // +CMGR: "REC READ","+8613912345678",,"26/12/06,10:15:00+32"
    return "\r\n+CMGR: \"" + std::string(status) + "\",\"" + m_sender +
           "\",,\"26/12/06,10:15:00+32\"\r\n" + m_text + "\r\n\r\nOK\r\n";
}

std::string WindowModem::Answer(const std::string& block) {
    std::lock_guard<std::mutex> lock(m_lock);
    const std::string textEnd = "\r\n\x1A";
    if (block.size() >= 3 && block.compare(block.size() - 3, 3, textEnd) == 0) {
        const std::string text = block.substr(0, block.size() - 3);
        m_lines.push_back("TEXT:" + text);
        return text + "\r\n" + m_sendAnswer;
    }
    const std::string line = block.substr(0, block.size() >= 2 ? block.size() - 2 : 0);
    m_lines.push_back(line);
    const std::string echo = line + "\r";
    if (line == "AT+CMGR=1") {
        return echo + ReadSlot();
    }
    if (line == "AT+CMGD=1") {
        m_stored = false;
        return echo + "\r\nOK\r\n";
    }
    if (StartsWith(line, "AT+CMGS=")) {
        return echo + m_promptAnswer;
    }
    if (StartsWith(line, "AT+CSCA=")) {
        return echo + m_centreAnswer;
    }
    return echo + "\r\nOK\r\n";
}
