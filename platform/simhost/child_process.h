#pragma once
// A program started with this process's environment plus a few variables of its own, sharing
// this process's standard streams (standard error may be another descriptor). SIGINT, SIGTERM,
// SIGHUP, SIGPIPE, SIGTTIN and SIGTTOU start out with their default actions and unblocked in the
// child, whatever this process has done with them (platform/core/termination_signal.h,
// io_signals.h).
//
// Thread contract: one thread may Wait while another calls Terminate. The child is reaped only
// under a lock that Terminate also takes, so a signal never reaches a recycled process id.

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class ChildProcess {
public:
    using Variables = std::vector<std::pair<std::string, std::string>>;

    // argv[0] is looked up on PATH. Nothing, with the reason in error, when it cannot start.
    // errorFd, when given, becomes the child's standard error.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv,
                                               const Variables& extraEnvironment,
                                               std::string& error, int errorFd = -1);
    // Ends and reaps a child still running, so no zombie outlives this object.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Blocks until the child ends: its exit status, or 128 + the signal that ended it.
    int Wait();
    // Sends signalNumber to a child not yet reaped; nothing once it has been.
    void Signal(int signalNumber);
    // Asks a child still running to end (SIGTERM).
    void Terminate();
    // Ends a child that does not listen (SIGKILL).
    void Kill();

private:
    explicit ChildProcess(int pid) : m_pid(pid) {}

    const int m_pid;
    std::mutex m_lock;
    bool m_reaped = false;
    int m_status = 0;
};

}  // namespace platform
