#pragma once
// A modem on the master side of a pseudo-terminal whose every answer fills whole reads of the
// serial port: an information line of filler goes before the answer so that its length is a
// multiple of 1024 bytes. A full read is handed over at once, where a short one waits out the
// port's 100 ms read interval, so a command cycle costs only the link's own work. The answer
// itself, final code included, stays exactly what the script gave.
//
// Keeps no record of the dialogue, only a count of lines, so a long run grows nothing here.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/simhost/pseudo_terminal.h"

class PaddedModem {
public:
    // Gets each line the port wrote, without CR LF; gives the answer ("" is silence).
    using Script = std::function<std::string(const std::string& line)>;

    static constexpr std::size_t kReadSize = 1024;  // the serial port's chunk

    explicit PaddedModem(Script script);
    ~PaddedModem();
    PaddedModem(const PaddedModem&) = delete;
    PaddedModem& operator=(const PaddedModem&) = delete;

    std::u16string DeviceName() const;
    long Lines() const { return m_lines.load(); }

    // The answer with its filler line in front.
    static std::string Padded(const std::string& answer);

private:
    void Serve();

    Script m_script;
    std::unique_ptr<platform::PseudoTerminal> m_pty;
    std::atomic<bool> m_stopping{false};
    std::atomic<long> m_lines{0};
    std::thread m_thread;  // last: starts once everything above exists
};
