#include "platform/simhost/pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "platform/core/wakeable_fd.h"

namespace platform {

std::unique_ptr<Pipe> Pipe::Create() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return nullptr;
    }
    return std::unique_ptr<Pipe>(new Pipe(ends[0], ends[1]));
}

Pipe::~Pipe() {
    CloseReadEnd();
    CloseWriteEnd();
}

std::string Pipe::Read(int timeoutMs, std::size_t most) {
    const int ready = PollOrWake(m_read, -1, POLLIN, timeoutMs);
    if (ready <= 0) {
        return {};
    }
    std::string bytes(most, '\0');
    const ssize_t n = ::read(m_read, bytes.data(), bytes.size());
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return bytes;
}

void Pipe::CloseReadEnd() {
    if (m_read >= 0) {
        ::close(m_read);
        m_read = -1;
    }
}

void Pipe::CloseWriteEnd() {
    if (m_write >= 0) {
        ::close(m_write);
        m_write = -1;
    }
}

}  // namespace platform
