#pragma once
// Lines typed (or piped) on standard input, read so that another thread can end a wait at once.
//
// A job in the background that reads its terminal gets EIO (SIGTTIN is ignored, io_signals.h):
// that is reported as kDetached, and so is a terminal that stops answering for another reason.
//
// Thread contract: one thread calls ReadLine; any thread may call Interrupt.

#include <cstddef>
#include <memory>
#include <string>

#include "platform/core/bounded_write.h"

namespace platform {

class ConsoleInput {
public:
    enum class Status { kLine, kEnd, kInterrupted, kTooLong, kDetached };

    // Longer lines are dropped whole and reported as kTooLong, so input cannot grow memory.
    static constexpr std::size_t kMaxLine = 4096;

    // Nothing when the wake-up channel cannot be made. fd is not closed by this object.
    static std::unique_ptr<ConsoleInput> Create(int fd = kStandardInput);
    ~ConsoleInput();
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

    // The next line without its line end. kEnd at end of input or on a read error, kDetached when
    // the terminal refuses to be read; both for good. A last line without a line end still comes
    // first as kLine.
    Status ReadLine(std::string& line);
    // Ends a ReadLine in progress, and every later one, with kInterrupted.
    void Interrupt();

    // Whether the input is a terminal (and so a person may be typing).
    bool IsTerminal() const;

private:
    ConsoleInput(int fd, int wake) : m_fd(fd), m_wake(wake) {}
    // False on end, error, detachment or interrupt; otherwise appends what was waiting.
    bool Fill(Status& why);
    Status TakeLine(std::string& line);

    const int m_fd;
    const int m_wake;
    std::string m_pending;
    bool m_dropping = false;
    bool m_ended = false;
    Status m_endStatus = Status::kEnd;
};

}  // namespace platform
