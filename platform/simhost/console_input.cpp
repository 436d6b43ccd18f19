#include "platform/simhost/console_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/wakeable_fd.h"

namespace platform {

std::unique_ptr<ConsoleInput> ConsoleInput::Create(int fd) {
    const int wake = CreateWakeFd();
    if (wake < 0) {
        return nullptr;
    }
    return std::unique_ptr<ConsoleInput>(new ConsoleInput(fd, wake));
}

ConsoleInput::~ConsoleInput() {
    ::close(m_wake);
}

bool ConsoleInput::IsTerminal() const {
    return ::isatty(m_fd) == 1;
}

void ConsoleInput::Interrupt() {
    SignalWake(m_wake);
}

bool ConsoleInput::Fill(Status& why) {
    if (PollOrWake(m_fd, m_wake, POLLIN, -1) < 0) {
        why = Status::kInterrupted;
        return false;
    }
    char chunk[1024];
    ssize_t n;
    do {
        n = ::read(m_fd, chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && errno == EAGAIN) {
        return true;  // a non-blocking descriptor that polled ready too early: wait again
    }
    if (n <= 0) {
        m_ended = true;
        m_endStatus = n < 0 && errno == EIO ? Status::kDetached : Status::kEnd;
        why = m_endStatus;
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
        Status why = m_endStatus;
        if (m_ended || !Fill(why)) {
            if (why != Status::kInterrupted && (!m_pending.empty() || m_dropping)) {
                return TakeLine(line);
            }
            return why;
        }
    }
}

}  // namespace platform
