#pragma once
// SIGINT, SIGTERM and SIGHUP as something to wait for rather than a handler that interrupts
// whatever runs. The signals are blocked in the constructing thread and in every thread it starts
// later, so build this object first, before any thread exists. Children started with
// ChildProcess get the default actions back. A signal this process inherited as ignored (nohup)
// stays ignored.
//
// Thread contract: one thread waits; any thread may Cancel. Destroy the object on the thread that
// made it: that thread's signal mask is put back then, with signals still pending discarded.

#include <memory>

namespace platform {

class TerminationSignal {
public:
    // Nothing when the signals cannot be routed to a descriptor.
    static std::unique_ptr<TerminationSignal> Create();
    ~TerminationSignal();
    TerminationSignal(const TerminationSignal&) = delete;
    TerminationSignal& operator=(const TerminationSignal&) = delete;

    // Blocks up to timeoutMs (-1: without limit) until a termination signal arrives (its number),
    // or Cancel is called or the time runs out (0). A signal or cancel that came before the call
    // ends it at once.
    int Wait(int timeoutMs = -1);
    // Ends one Wait: the one in progress or else the next. Cancels that pile up before a Wait
    // count as one.
    void Cancel();

    // The exit status of a program that ended cleanly on the signal: 130 for SIGINT, as shells
    // give for Ctrl-C, and 0 for SIGTERM and SIGHUP.
    static int ExitStatusFor(int signalNumber);

private:
    struct SavedMask;
    TerminationSignal(int signalFd, int wake, std::unique_ptr<SavedMask> saved);

    const int m_signals;
    const int m_wake;
    const std::unique_ptr<SavedMask> m_saved;
};

}  // namespace platform
