#include "platform/core/termination_signal.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace platform {
namespace {

sigset_t TerminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

std::unique_ptr<TerminationSignal> TerminationSignal::Create() {
    const sigset_t set = TerminationSet();
    if (::pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) {
        return nullptr;
    }
    const int signals = ::signalfd(-1, &set, SFD_CLOEXEC);
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (signals < 0 || wake < 0) {
        if (signals >= 0) {
            ::close(signals);
        }
        if (wake >= 0) {
            ::close(wake);
        }
        return nullptr;
    }
    return std::unique_ptr<TerminationSignal>(new TerminationSignal(signals, wake));
}

TerminationSignal::~TerminationSignal() {
    ::close(m_signals);
    ::close(m_wake);
}

int TerminationSignal::Wait() {
    pollfd fds[2] = {{m_signals, POLLIN, 0}, {m_wake, POLLIN, 0}};
    int rc;
    do {
        rc = ::poll(fds, 2, -1);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0 || fds[0].revents == 0) {
        return 0;
    }
    signalfd_siginfo info{};
    if (::read(m_signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) {
        return 0;
    }
    return static_cast<int>(info.ssi_signo);
}

void TerminationSignal::Cancel() {
    const std::uint64_t one = 1;
    (void)!::write(m_wake, &one, sizeof one);
}

}  // namespace platform
