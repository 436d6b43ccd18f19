#pragma once
// A voice-call modem behind the test backend's device, for the dialer window's tests: each
// command line is echoed and answered from a table the test sets (a missing entry answers OK),
// and the test can push unsolicited codes (RING, +CLIP, NO CARRIER) as the network would.

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "fake_backend.h"

class CallModem {
public:
    explicit CallModem(platform::FakeBackend& backend);
    ~CallModem();
    CallModem(const CallModem&) = delete;
    CallModem& operator=(const CallModem&) = delete;

    // Answer to a command line (without CR LF); "" is silence. "ATD" matches every dial.
    void SetAnswer(const std::string& command, const std::string& answer);
    void Ring(const std::string& number);  // "" rings without caller identification
    void DropLine();

    std::vector<std::string> Lines() const;
    int CountOf(const std::string& line) const;

private:
    std::string Answer(const std::string& line) const;

    platform::FakeBackend& m_backend;
    mutable std::mutex m_lock;
    std::map<std::string, std::string> m_answers;
    std::vector<std::string> m_lines;
};
