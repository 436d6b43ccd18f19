#include "platform/simhost/console_output.h"

#include <unistd.h>

#include "platform/core/wakeable_fd.h"

namespace platform {

std::unique_ptr<ConsoleOutput> ConsoleOutput::Create(int fd) {
    const int wake = CreateWakeFd();
    if (wake < 0) {
        return nullptr;
    }
    return std::unique_ptr<ConsoleOutput>(new ConsoleOutput(fd, wake));
}

ConsoleOutput::~ConsoleOutput() {
    ::close(m_wake);
}

bool ConsoleOutput::Write(std::string_view text) {
    return WriteWithin(m_fd, text, -1, m_wake) == text.size();
}

void ConsoleOutput::Interrupt() {
    SignalWake(m_wake);
}

}  // namespace platform
