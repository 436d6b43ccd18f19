#include "platform/core/bounded_write.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include "platform/core/wakeable_fd.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline, int timeoutMs) {
    if (timeoutMs < 0) {
        return -1;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Room for at least one more write; not when the reader has gone, so no SIGPIPE is raised for a
// write that can only fail.
bool HasRoom(int revents) {
    return revents > 0 && (revents & (POLLERR | POLLHUP | POLLNVAL)) == 0 &&
           (revents & POLLOUT) != 0;
}

}  // namespace

std::size_t WriteWithin(int fd, std::string_view bytes, int timeoutMs, int wakeFd) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t written = 0;
    while (written < bytes.size()) {
        if (!HasRoom(PollOrWake(fd, wakeFd, POLLOUT, RemainingMs(deadline, timeoutMs)))) {
            break;
        }
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - written, PIPE_BUF);
        const ssize_t n = ::write(fd, bytes.data() + written, chunk);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            break;
        }
    }
    return written;
}

}  // namespace platform
