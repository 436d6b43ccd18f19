#pragma once
// A simulator's trace, collected for tests that look at what the modem did and when, as the modem
// itself measured it: free of the delays of the test's own reads.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "modemsim/trace/trace.h"

struct TraceEntry {
    std::string line;  // as the sink got it
    double seconds = -1;
    char direction = '?';  // '<', '>', or '?' for a line that is no dialogue
    std::string bytes;     // unescaped
};

class TraceRecorder {
public:
    using Entries = std::vector<TraceEntry>;

    TraceRecorder() : m_shared(std::make_shared<Shared>()) {}

    // Keeps what it needs alive by itself, so a writer that outlives the test does no harm.
    modemsim::TraceSink Sink() const;
    // The entries so far, as soon as `done` holds for them or once limit has passed.
    Entries WaitFor(const std::function<bool(const Entries&)>& done,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) const;
    Entries Now() const;

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
