#pragma once
// A stateful text-mode modem behind the test backend's device, for the message window's tests:
// storage slot 1, the send dialogue with its prompt, the SMS-centre command. Every block the
// channel writes is echoed and answered at once, from the writing thread.

#include <mutex>
#include <string>
#include <vector>

#include "fake_backend.h"

class WindowModem {
public:
    explicit WindowModem(platform::FakeBackend& backend);
    ~WindowModem();
    WindowModem(const WindowModem&) = delete;
    WindowModem& operator=(const WindowModem&) = delete;

    // Puts a message into slot 1. An unread one is reported "REC UNREAD" once, then "REC READ".
    void Store(const std::string& sender, const std::string& text, bool unread = false);
    bool SlotEmpty() const;
    // What follows AT+CMGS (the prompt) and the message text (the result); "" is silence.
    void SetPromptAnswer(const std::string& answer);
    void SetSendAnswer(const std::string& answer);
    void SetCentreAnswer(const std::string& answer);
    // How long a read of slot 1 takes the modem before it answers.
    void SetReadDelay(int ms);

    // Command lines as written (without CR LF), message texts as "TEXT:<text>".
    std::vector<std::string> Lines() const;
    int CountOf(const std::string& line) const;

private:
    std::string Answer(const std::string& block);
    std::string ReadSlot();

    platform::FakeBackend& m_backend;
    mutable std::mutex m_lock;
    bool m_stored = false;
    bool m_unread = false;
    std::string m_sender;
    std::string m_text;
    std::string m_promptAnswer = "\r\n> ";
    std::string m_sendAnswer = "\r\n+CMGS: 7\r\n\r\nOK\r\n";
    std::string m_centreAnswer = "\r\nOK\r\n";
    std::vector<std::string> m_lines;
    int m_readDelayMs = 0;
};
