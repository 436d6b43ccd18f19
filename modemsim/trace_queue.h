#pragma once
// The trace lines waiting for the trace writer, bounded so that a trace nobody reads cannot grow
// memory: past kMaxLines lines (or kMaxBytes bytes) a new line is dropped, and counted at the
// place where it was lost so the writer can say so there.
//
// Thread contract: any thread may Push and Close; one thread Pops.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace modemsim {

class TraceQueue {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t kMaxLines = 1000;
    static constexpr std::size_t kMaxBytes = std::size_t{4} << 20;

    struct Entry {
        std::string line;
        std::uint64_t droppedAfter = 0;  // lines lost right after this one
    };

    void Push(std::string line);
    // Waits for the next entry. Nothing once closed and empty, or closed and past the drain
    // deadline: what is left then is discarded.
    std::optional<Entry> Pop();
    // Lets Pop hand out what is queued until drainUntil, and no longer wait for more.
    void Close(Clock::time_point drainUntil);

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Entry> m_entries;
    std::size_t m_bytes = 0;
    bool m_closed = false;
    Clock::time_point m_drainUntil;
};

}  // namespace modemsim
