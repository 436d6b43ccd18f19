#include "platform/core/wakeable_fd.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace platform {

int PollOrWake(int fd, int wakeFd, short events, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    int rc;
    int wait = timeoutMs;
    while ((rc = ::poll(fds, 2, wait)) < 0 && errno == EINTR) {
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
    }
    if (rc < 0 || fds[1].revents != 0) {
        return -1;
    }
    return rc == 0 ? 0 : fds[0].revents;
}

bool WriteAllOrWake(int fd, int wakeFd, const void* bytes, std::size_t size, std::size_t& written) {
    const auto* data = static_cast<const char*>(bytes);
    written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            const int ready = PollOrWake(fd, wakeFd, POLLOUT, -1);
            if (ready < 0 || (ready & POLLOUT) == 0) {
                return false;  // woken, or the other side is gone (POLLHUP/POLLERR)
            }
        } else {
            return false;
        }
    }
    return true;
}

int CreateWakeFd() {
    return ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

void SignalWake(int wakeFd) {
    const std::uint64_t one = 1;
    (void)!::write(wakeFd, &one, sizeof one);
}

}  // namespace platform
