#pragma once
// A simulator's trace, collected for tests and benchmarks that look at what the modem did and
// when, as the modem itself measured it: free of the delays of the test's own reads.
//
// Each entry has two times. `seconds` is the trace's own stamp, taken at the read or write, with
// 1 ms resolution. `arrived` is when the line reached this sink on the trace's writer thread: the
// trace records each write immediately before making it, so the arrival stands in for the write
// where 1 ms is too coarse (benchmarks). It is late by one thread wake-up (tens of microseconds on
// an idle machine), which makes a figure measured from it that much smaller.
//
// Thread contract: the sink runs on the trace's writer thread; the other members from any thread.
// The sink shares the entries, so it may outlive this object (the trace writer may:
// platform/core/trace_writer.h).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/core/trace_writer.h"

struct TraceEntry {
    std::string line;  // as the sink got it
    std::chrono::steady_clock::time_point arrived;
    double seconds = -1;
    char direction = '?';  // '<', '>', or '?' for a line that is no dialogue
    std::string bytes;     // unescaped
};

class TraceRecorder {
public:
    using Entries = std::vector<TraceEntry>;
    using Clock = std::chrono::steady_clock;

    // The modem's writes ('>') that held a text so far.
    struct Writes {
        std::uint64_t count = 0;
        Clock::time_point lastArrived;  // of the latest of them
    };

    TraceRecorder() : m_shared(std::make_shared<Shared>()) {}

    platform::TraceSink Sink() const;
    // The entries so far, as soon as `done` holds for them or once limit has passed.
    Entries WaitFor(const std::function<bool(const Entries&)>& done,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) const;
    Entries Now() const;
    Writes WritesHolding(const std::string& text) const;

    // Only the entries of one direction.
    static Entries Only(const Entries& entries, char direction);

private:
    struct Shared {
        std::mutex lock;
        std::condition_variable changed;
        Entries entries;
    };
    std::shared_ptr<Shared> m_shared;
};
