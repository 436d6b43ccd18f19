#include "call_modem.h"

CallModem::CallModem(platform::FakeBackend& backend) : m_backend(backend) {
    m_backend.OnWrite([this](const std::string& block) {
        const std::string line = block.substr(0, block.size() >= 2 ? block.size() - 2 : 0);
        std::string answer;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_lines.push_back(line);
            answer = line + "\r" + Answer(line);
        }
        m_backend.PushInput(answer);
    });
}

CallModem::~CallModem() {
    m_backend.OnWrite(nullptr);
}

void CallModem::SetAnswer(const std::string& command, const std::string& answer) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_answers[command] = answer;
}

std::string CallModem::Answer(const std::string& line) const {
    const std::string key = line.compare(0, 3, "ATD") == 0 ? "ATD" : line;
    const auto found = m_answers.find(key);
    return found == m_answers.end() ? "\r\nOK\r\n" : found->second;
}

void CallModem::Ring(const std::string& number) {
    // RING, then the caller's line:  +CLIP: "+393351391306",145,,,,0
    std::string bytes = "\r\nRING\r\n";
    if (!number.empty()) {
        bytes += "\r\n+CLIP: \"" + number + "\",129,,,,0\r\n";
    }
    m_backend.PushInput(bytes);
}

void CallModem::DropLine() {
    m_backend.PushInput("\r\nNO CARRIER\r\n");
}

std::vector<std::string> CallModem::Lines() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

int CallModem::CountOf(const std::string& line) const {
    int count = 0;
    for (const std::string& each : Lines()) {
        count += each == line ? 1 : 0;
    }
    return count;
}
