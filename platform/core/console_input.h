#pragma once
// Lines typed (or piped) on standard input, read so that another thread can end a wait at once.
//
// Thread contract: one thread calls ReadLine; any thread may call Interrupt.

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

class ConsoleInput {
public:
    enum class Status { kLine, kEnd, kInterrupted, kTooLong };

    // Longer lines are dropped whole and reported as kTooLong, so input cannot grow memory.
    static constexpr std::size_t kMaxLine = 4096;

    // Nothing when the wake-up channel cannot be made.
    static std::unique_ptr<ConsoleInput> Create();
    ~ConsoleInput();
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

    // The next line without its line end. kEnd at end of input or on a read error; a last line
    // without a line end still comes first as kLine.
    Status ReadLine(std::string& line);
    // Ends a ReadLine in progress, and every later one, with kInterrupted.
    void Interrupt();

    // Whether standard input is a terminal (and so a person may be typing).
    static bool IsTerminal();

private:
    explicit ConsoleInput(int wake) : m_wake(wake) {}
    // False on end, error or interrupt; otherwise appends what was waiting to m_pending.
    bool Fill(Status& why);
    Status TakeLine(std::string& line);

    const int m_wake;
    std::string m_pending;
    bool m_dropping = false;
    bool m_ended = false;
};

}  // namespace platform
