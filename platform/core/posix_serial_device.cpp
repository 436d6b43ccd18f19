#include "platform/core/posix_serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/core/read_timer.h"
#include "platform/core/termios_mapping.h"
#include "platform/core/wakeable_fd.h"

namespace platform {
namespace {

void SetModemLines(int fd, ModemLines lines) {
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    // Pseudo-terminals have no modem-control lines; the ioctl fails there and that is fine.
    (void)ioctl(fd, lines.dtr ? TIOCMBIS : TIOCMBIC, &dtr);
    (void)ioctl(fd, lines.rts ? TIOCMBIS : TIOCMBIC, &rts);
}

}  // namespace

std::shared_ptr<PosixSerialDevice> PosixSerialDevice::Open(const std::string& path, int& error) {
    // O_NONBLOCK so the open does not wait for a carrier; reads are paced by poll() anyway.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        // A lock held elsewhere reads "try again"; to the user the device is busy.
        error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return nullptr;
    }
    const int wakeFd = CreateWakeFd();
    if (wakeFd < 0) {
        error = errno;
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<PosixSerialDevice>(new PosixSerialDevice(fd, wakeFd));
}

PosixSerialDevice::~PosixSerialDevice() {
    // Give the tty back to other openers: TIOCEXCL would outlive us while anyone else (a
    // simulator, a terminal) still holds the device.
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    ::close(m_wakeFd);
}

bool PosixSerialDevice::GetLineSettings(LineSettings& settings) const {
    termios attributes{};
    if (::tcgetattr(m_fd, &attributes) != 0) {
        return false;
    }
    int lines = 0;
    if (::ioctl(m_fd, TIOCMGET, &lines) != 0) {
        lines = TIOCM_DTR | TIOCM_RTS;
    }
    settings = LineSettingsFromTermios(
        attributes, ModemLines{(lines & TIOCM_DTR) != 0, (lines & TIOCM_RTS) != 0});
    return true;
}

bool PosixSerialDevice::SetLineSettings(const LineSettings& settings) {
    termios current{};
    if (::tcgetattr(m_fd, &current) != 0) {
        return false;
    }
    const std::optional<termios> wanted = TermiosFromLineSettings(settings, current);
    if (!wanted || ::tcsetattr(m_fd, TCSANOW, &*wanted) != 0) {
        return false;
    }
    // tcsetattr succeeds when any part was applied: check the parts the line format rests on.
    termios applied{};
    if (::tcgetattr(m_fd, &applied) != 0 || cfgetospeed(&applied) != cfgetospeed(&*wanted) ||
        (applied.c_cflag & CSIZE) != (wanted->c_cflag & CSIZE)) {
        return false;
    }
    SetModemLines(m_fd, ModemLinesFor(settings));
    return true;
}

Timeouts PosixSerialDevice::GetTimeouts() const {
    std::lock_guard<std::mutex> lock(m_timeoutsLock);
    return m_timeouts;
}

void PosixSerialDevice::SetTimeouts(const Timeouts& timeouts) {
    std::lock_guard<std::mutex> lock(m_timeoutsLock);
    m_timeouts = timeouts;
}

bool PosixSerialDevice::Purge() {
    return ::tcflush(m_fd, TCIOFLUSH) == 0;
}

bool PosixSerialDevice::Read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& received) {
    received = 0;
    ReadTimer timer(GetTimeouts(), size, ReadTimer::Clock::now());
    while (received < size && !m_interrupted.load()) {
        const std::optional<std::uint32_t> left = timer.RemainingMs(ReadTimer::Clock::now());
        const int timeoutMs = left ? static_cast<int>(std::min<std::uint32_t>(*left, INT_MAX)) : -1;
        const int ready = PollOrWake(m_fd, m_wakeFd, POLLIN, timeoutMs);
        if (ready == 0) {
            if (timeoutMs == 0 || timer.RemainingMs(ReadTimer::Clock::now()) == 0u) {
                break;
            }
            continue;  // poll() woke a little early
        }
        // A wake-up, or an error or hang-up without data (a USB adapter pulled out, the pty's
        // other side gone): report what came before it, or a failed read. Reading on would
        // only spin until the deadline.
        if (ready < 0 || (ready & POLLIN) == 0) {
            if (ready > 0 && (ready & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                m_gone.store(true);
            }
            return received > 0;
        }
        const ssize_t n = ::read(m_fd, buffer + received, size - received);
        if (n > 0) {
            received += static_cast<std::uint32_t>(n);
            timer.OnBytes(ReadTimer::Clock::now());
        } else if (n == 0) {
            m_gone.store(true);
            return received > 0;
        } else if (errno != EAGAIN && errno != EINTR) {
            NoteFailure(errno);
            return received > 0;
        }
    }
    return !m_interrupted.load() || received > 0;
}

bool PosixSerialDevice::Write(const std::uint8_t* bytes, std::uint32_t size,
                              std::uint32_t& written) {
    std::size_t done = 0;
    const bool ok = WriteAllOrWake(m_fd, m_wakeFd, bytes, size, done);
    written = static_cast<std::uint32_t>(done);
    if (!ok && !m_interrupted.load()) {
        const int error = errno;
        pollfd hungUp{m_fd, POLLOUT, 0};
        if (::poll(&hungUp, 1, 0) > 0 && (hungUp.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            m_gone.store(true);
        } else {
            NoteFailure(error);
        }
    }
    return ok;
}

void PosixSerialDevice::NoteFailure(int error) {
    if (error == EIO || error == ENXIO || error == ENODEV || error == EPIPE) {
        m_gone.store(true);
    }
}

void PosixSerialDevice::ReleaseExclusive() {
    ::ioctl(m_fd, TIOCNXCL);
}

void PosixSerialDevice::Interrupt() {
    m_interrupted.store(true);
    SignalWake(m_wakeFd);
}

}  // namespace platform
