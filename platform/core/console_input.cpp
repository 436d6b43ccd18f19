#include "platform/core/console_input.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace platform {

std::unique_ptr<ConsoleInput> ConsoleInput::Create() {
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        return nullptr;
    }
    return std::unique_ptr<ConsoleInput>(new ConsoleInput(wake));
}

ConsoleInput::~ConsoleInput() {
    ::close(m_wake);
}

bool ConsoleInput::IsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

void ConsoleInput::Interrupt() {
    const std::uint64_t one = 1;
    (void)!::write(m_wake, &one, sizeof one);
}

bool ConsoleInput::Fill(Status& why) {
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {m_wake, POLLIN, 0}};
    int rc;
    do {
        rc = ::poll(fds, 2, -1);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0 || fds[1].revents != 0) {
        why = rc < 0 ? Status::kEnd : Status::kInterrupted;
        return false;
    }
    char chunk[1024];
    ssize_t n;
    do {
        n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        m_ended = true;
        why = Status::kEnd;
        return false;
    }
    m_pending.append(chunk, static_cast<std::size_t>(n));
    return true;
}

ConsoleInput::Status ConsoleInput::TakeLine(std::string& line) {
    const std::size_t end = m_pending.find('\n');
    line = m_pending.substr(0, end);
    m_pending.erase(0, end == std::string::npos ? end : end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    const bool dropped = m_dropping || line.size() > kMaxLine;
    m_dropping = false;
    return dropped ? Status::kTooLong : Status::kLine;
}

ConsoleInput::Status ConsoleInput::ReadLine(std::string& line) {
    for (;;) {
        if (m_pending.find('\n') != std::string::npos) {
            return TakeLine(line);
        }
        if (m_pending.size() > kMaxLine) {
            m_pending.clear();
            m_dropping = true;
        }
        Status why = Status::kEnd;
        if (m_ended || !Fill(why)) {
            if (why != Status::kInterrupted && !m_pending.empty()) {
                return TakeLine(line);
            }
            return m_ended ? Status::kEnd : why;
        }
    }
}

}  // namespace platform
