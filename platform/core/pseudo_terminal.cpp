#include "platform/core/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace platform {

std::unique_ptr<PseudoTerminal> PseudoTerminal::Create() {
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B115200);
    cfsetospeed(&raw, B115200);
    raw.c_cflag |= CLOCAL | CREAD;
    int master = -1;
    int slave = -1;
    char name[PATH_MAX] = {};
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0) {
        return nullptr;
    }
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0 || ::fcntl(master, F_SETFL, O_NONBLOCK) != 0 ||
        ::fcntl(master, F_SETFD, FD_CLOEXEC) != 0 || ::fcntl(slave, F_SETFD, FD_CLOEXEC) != 0) {
        ::close(master);
        ::close(slave);
        if (wake >= 0) {
            ::close(wake);
        }
        return nullptr;
    }
    return std::unique_ptr<PseudoTerminal>(new PseudoTerminal(master, slave, wake, name));
}

PseudoTerminal::PseudoTerminal(int master, int slave, int wake, std::string slavePath)
    : m_master(master), m_slave(slave), m_wake(wake), m_slavePath(std::move(slavePath)) {}

PseudoTerminal::~PseudoTerminal() {
    ::close(m_master);
    ::close(m_slave);
    ::close(m_wake);
}

int PseudoTerminal::WaitReady(short events, int timeoutMs) const {
    pollfd fds[2] = {{m_master, events, 0}, {m_wake, POLLIN, 0}};
    int rc;
    do {
        rc = ::poll(fds, 2, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0 || fds[1].revents != 0) {
        return -1;
    }
    return rc == 0 ? 0 : fds[0].revents;
}

bool PseudoTerminal::Write(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (WaitReady(POLLOUT, -1) < 0) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

std::string PseudoTerminal::Read(int timeoutMs) {
    const int ready = WaitReady(POLLIN, timeoutMs);
    if (ready <= 0) {
        return {};
    }
    std::string bytes;
    char chunk[4096];
    // Bounded, so a peer that never stops writing cannot keep this call from returning.
    while (bytes.size() < 65536) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return bytes;
}

void PseudoTerminal::Interrupt() {
    const std::uint64_t one = 1;
    (void)!::write(m_wake, &one, sizeof one);
}

}  // namespace platform
