#pragma once
// A minimal modem on the master side of a pseudo-terminal, for tests of the link itself: every
// line the port writes (up to CR LF) is recorded and answered by the test's script at once.
// An empty answer means silence.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/simhost/pseudo_terminal.h"

class ScriptedModem {
public:
    // Gets the line without its CR LF and how many lines came before it.
    using Script = std::function<std::string(const std::string& line, int index)>;

    explicit ScriptedModem(Script script);
    ~ScriptedModem();
    ScriptedModem(const ScriptedModem&) = delete;
    ScriptedModem& operator=(const ScriptedModem&) = delete;

    const std::string& DevicePath() const { return m_pty->SlavePath(); }
    std::u16string DeviceName() const;
    std::string Received() const;
    std::vector<std::string> Lines() const;
    bool Send(const std::string& bytes) { return m_pty->Write(bytes); }

private:
    void Serve();

    Script m_script;
    std::unique_ptr<platform::PseudoTerminal> m_pty;
    mutable std::mutex m_lock;
    std::string m_received;
    std::vector<std::string> m_lines;
    bool m_stopping = false;
    std::thread m_thread;
};

// Scripts for common cases.
ScriptedModem::Script AnswerEverything(const std::string& answer);
