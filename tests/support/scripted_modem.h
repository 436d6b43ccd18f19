#pragma once
// The test modem: the master side of a pseudo-terminal whose slave a serial port opens. Every
// line the port writes is logged and answered by the test's script with chunks, each written
// after its own pause. A line ends with CR (an LF after it is dropped), a message text with
// Ctrl-Z. Options: echo (a command comes back with CR, a text as it was, as modems echo them) and
// padding (a filler
// line in front makes each chunk fill whole 1024-byte reads, which the port hands over at once
// instead of after its 100 ms read interval, so a command costs only the link's own work).
//
// Thread contract: one thread of its own reads and answers; the script runs there. Every other
// member may be called from any thread.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "modem_script.h"
#include "platform/simhost/pseudo_terminal.h"

struct ModemOptions {
    bool echo = false;
    bool padded = false;
    bool keepLines = true;  // false: only counts them, so a long run grows nothing here
};

class ScriptedModem {
public:
    using Script = ModemScript;

    static constexpr std::size_t kReadSize = 1024;  // the serial port's chunk

    explicit ScriptedModem(Script script, ModemOptions options = {});
    ~ScriptedModem();
    ScriptedModem(const ScriptedModem&) = delete;
    ScriptedModem& operator=(const ScriptedModem&) = delete;

    std::u16string DeviceName() const;
    std::vector<std::string> Lines() const;
    long LineCount() const { return m_lineCount.load(); }
    bool Send(const std::string& bytes) { return m_pty->Write(bytes); }

    // The bytes with a filler line in front ("\r\n+PAD: xxx..."), to a multiple of kReadSize.
    static std::string Padded(const std::string& bytes);

private:
    void Serve();
    void Answer(const ReceivedLine& received);

    const Script m_script;
    const ModemOptions m_options;
    std::unique_ptr<platform::PseudoTerminal> m_pty;
    mutable std::mutex m_lock;  // guards m_lines
    std::vector<std::string> m_lines;
    std::atomic<long> m_lineCount{0};
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;  // last: starts once everything above exists
};
