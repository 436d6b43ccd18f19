#include "platform/simhost/pseudo_terminal.h"

#include "platform/core/wakeable_fd.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>

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
    const int wake = CreateWakeFd();
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
    if (!m_masterClosed) {
        ::close(m_master);
    }
    ::close(m_slave);
    ::close(m_wake);
}

bool PseudoTerminal::Write(std::string_view bytes) {
    const std::shared_lock<std::shared_mutex> lock(m_masterLock);
    if (m_masterClosed) {
        return false;
    }
    std::size_t written = 0;
    return WriteAllOrWake(m_master, m_wake, bytes.data(), bytes.size(), written);
}

std::string PseudoTerminal::Read(int timeoutMs) {
    const std::shared_lock<std::shared_mutex> lock(m_masterLock);
    if (m_masterClosed) {
        return {};
    }
    const int ready = PollOrWake(m_master, m_wake, POLLIN, timeoutMs);
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
    SignalWake(m_wake);
}

void PseudoTerminal::CloseMaster() {
    // The wake-up ends every Read and Write in progress, so the exclusive lock comes at once.
    Interrupt();
    const std::unique_lock<std::shared_mutex> lock(m_masterLock);
    if (!m_masterClosed) {
        m_masterClosed = true;
        ::close(m_master);
    }
}

}  // namespace platform
