#include "platform/core/termination_signal.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdint>
#include <initializer_list>

#include "platform/core/wakeable_fd.h"

namespace platform {
namespace {

bool InheritedAsIgnored(int signalNumber) {
    struct sigaction action {};
    return ::sigaction(signalNumber, nullptr, &action) == 0 && action.sa_handler == SIG_IGN;
}

// A blocked signal is queued even when ignored, and the descriptor would hand it over: one that
// the starter ignored (nohup) is left out, so it stays ignored.
sigset_t TerminationSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        if (!InheritedAsIgnored(signalNumber)) {
            sigaddset(&set, signalNumber);
        }
    }
    return set;
}

void CloseIfOpen(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

int TakeSignal(int signals) {
    signalfd_siginfo info{};
    if (::read(signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) {
        return 0;
    }
    return static_cast<int>(info.ssi_signo);
}

}  // namespace

struct TerminationSignal::SavedMask {
    sigset_t mask;
};

std::unique_ptr<TerminationSignal> TerminationSignal::Create() {
    const sigset_t set = TerminationSet();
    auto saved = std::make_unique<SavedMask>();
    if (::pthread_sigmask(SIG_BLOCK, &set, &saved->mask) != 0) {
        return nullptr;
    }
    const int signals = ::signalfd(-1, &set, SFD_CLOEXEC);
    const int wake = CreateWakeFd();
    if (signals < 0 || wake < 0) {
        CloseIfOpen(signals);
        CloseIfOpen(wake);
        ::pthread_sigmask(SIG_SETMASK, &saved->mask, nullptr);
        return nullptr;
    }
    return std::unique_ptr<TerminationSignal>(
        new TerminationSignal(signals, wake, std::move(saved)));
}

TerminationSignal::TerminationSignal(int signals, int wake, std::unique_ptr<SavedMask> saved)
    : m_signals(signals), m_wake(wake), m_saved(std::move(saved)) {}

TerminationSignal::~TerminationSignal() {
    // A late second Ctrl-C must not kill the process once it has decided how to end.
    while (PollOrWake(m_signals, -1, POLLIN, 0) > 0 && TakeSignal(m_signals) != 0) {
    }
    ::pthread_sigmask(SIG_SETMASK, &m_saved->mask, nullptr);
    ::close(m_signals);
    ::close(m_wake);
}

int TerminationSignal::Wait(int timeoutMs) {
    const int ready = PollOrWake(m_signals, m_wake, POLLIN, timeoutMs);
    if (ready < 0) {
        std::uint64_t count = 0;
        (void)!::read(m_wake, &count, sizeof count);
        return 0;
    }
    return ready == 0 ? 0 : TakeSignal(m_signals);
}

void TerminationSignal::Cancel() {
    SignalWake(m_wake);
}

int TerminationSignal::ExitStatusFor(int signalNumber) {
    // What a shell reports for a job that Ctrl-C ended; a request to end is no failure.
    return signalNumber == SIGINT ? 128 + SIGINT : 0;
}

}  // namespace platform
