#pragma once
// The scripted test modem on the test backend's in-memory device: every line the port writes is
// logged and answered by the script, each chunk pushed as input after its pause on the backend's
// clock, so a test on virtual time decides each time-out exactly. A line ends with CR (an LF after
// it is dropped), a message text with Ctrl-Z; with echo, a command comes back with CR and a text
// as it was, at once.
//
// Thread contract: the lines are taken on the writing thread (the backend's write hook), the
// delayed chunks pushed on the clock's thread; Lines may be called from any thread.

#include <mutex>
#include <string>
#include <vector>

#include "modem_script.h"
#include "platform/fake/fake_backend.h"

class ScriptedDevice {
public:
    ScriptedDevice(platform::FakeBackend& backend, ModemScript script, bool echo = false);
    ~ScriptedDevice();
    ScriptedDevice(const ScriptedDevice&) = delete;
    ScriptedDevice& operator=(const ScriptedDevice&) = delete;

    std::vector<std::string> Lines() const;

private:
    void Take(const std::string& block);
    void Answer(const ReceivedLine& received);

    platform::FakeBackend& m_backend;
    const ModemScript m_script;
    const bool m_echo;
    mutable std::mutex m_lock;  // guards the two below
    std::string m_pending;
    std::vector<std::string> m_lines;
};
