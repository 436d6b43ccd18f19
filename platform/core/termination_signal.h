#pragma once
// SIGINT and SIGTERM as something to wait for rather than a handler that interrupts whatever
// runs. The signals are blocked in the constructing thread and in every thread it starts later,
// so build this object first, before any thread exists. Children started with ChildProcess get
// the default actions back.
//
// Thread contract: one thread waits; any thread may Cancel.

#include <memory>

namespace platform {

class TerminationSignal {
public:
    // Nothing when the signals cannot be routed to a descriptor.
    static std::unique_ptr<TerminationSignal> Create();
    ~TerminationSignal();
    TerminationSignal(const TerminationSignal&) = delete;
    TerminationSignal& operator=(const TerminationSignal&) = delete;

    // Blocks until SIGINT or SIGTERM arrives (its number) or Cancel is called (0). A signal or
    // cancel that came before the call ends it at once.
    int Wait();
    void Cancel();

private:
    TerminationSignal(int signals, int wake) : m_signals(signals), m_wake(wake) {}

    const int m_signals;
    const int m_wake;
};

}  // namespace platform
