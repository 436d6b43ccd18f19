#pragma once
// What the thread that runs modem commands does while one waits for its answer. A window's thread
// keeps its window alive meanwhile (painting, the desktop's requests, a close): the window layer
// installs a host for that thread while the window runs. A thread without a host (tests,
// benchmarks, a program without a window) simply waits.
//
// Thread contract: a host belongs to the thread that installed it and is called only there.

#include <cstdint>

namespace platform {

class CommandWaitHost {
public:
    // A waiting command calls Serve at least this often: a window then never lags a frame behind
    // a desktop's 50 Hz.
    static constexpr std::uint32_t kServeEveryMs = 20;

    virtual ~CommandWaitHost() = default;
    // False once what the commands work for has gone (the window was closed): no command starts,
    // and a command that waits gives up at once, as if the modem had said nothing.
    virtual bool Wanted() = 0;
    // A command begins and ends its wait (never nested on one thread).
    virtual void WaitBegins() = 0;
    virtual void WaitEnds() = 0;
    // Does the thread's own due work and returns without blocking.
    virtual void Serve() = 0;
};

// The calling thread's host, or nullptr.
CommandWaitHost* CurrentCommandWaitHost();

// Installs a host for the calling thread for its lifetime; the previous one comes back after.
class ScopedCommandWaitHost {
public:
    explicit ScopedCommandWaitHost(CommandWaitHost& host);
    ~ScopedCommandWaitHost();
    ScopedCommandWaitHost(const ScopedCommandWaitHost&) = delete;
    ScopedCommandWaitHost& operator=(const ScopedCommandWaitHost&) = delete;

private:
    CommandWaitHost* m_previous;
};

}  // namespace platform
