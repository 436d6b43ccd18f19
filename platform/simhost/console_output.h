#pragma once
// Text for the person at the console, written so that a reader who stops reading (a pager left
// alone, a full pipe) holds up only the writing thread, and only until Interrupt.
//
// Thread contract: one thread writes; any thread may call Interrupt.

#include <memory>
#include <string_view>

#include "platform/core/bounded_write.h"

namespace platform {

class ConsoleOutput {
public:
    // Nothing when the wake-up channel cannot be made. fd is not closed by this object.
    static std::unique_ptr<ConsoleOutput> Create(int fd = kStandardOutput);
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // Waits for room as long as it takes. False when not all of it went out: the reader has gone,
    // the write failed or Interrupt was called.
    bool Write(std::string_view text);
    // Ends a Write in progress, and makes every later one fail at once.
    void Interrupt();

private:
    ConsoleOutput(int fd, int wake) : m_fd(fd), m_wake(wake) {}

    const int m_fd;
    const int m_wake;
};

}  // namespace platform
