#pragma once
// Lines for a reader who may be slow or stuck (a terminal on hold, a pipe nobody reads), written
// so that the reader's pace never holds up the writers: lines wait in a bounded queue for a
// writer thread of their own, and each line waits at most kTraceWriteWaitMs for room. What cannot
// go out is dropped, counted, and said where it was lost:
//   [37 trace lines dropped]
// The dialogue traces of the programs and of the simulated modem go out this way.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace platform {

// Where lines go. A sink is called on the writer thread, one line at a time, and says whether the
// line went out; lines it refuses are counted as dropped. A sink that blocks delays only the
// lines, never those who push them. It must not push lines itself.

using TraceSink = std::function<bool(const std::string& line)>;

// How long a descriptor sink waits for room before it drops a line.
inline constexpr int kTraceWriteWaitMs = 200;

// Writes each line with a line end to fd, waiting at most kTraceWriteWaitMs for room. A line cut
// short by the time-out is ended before the next one, so lines never run together.
TraceSink DescriptorTraceSink(int fd);
// DescriptorTraceSink on standard error.
TraceSink StderrTraceSink();

// The lines waiting for the writer, bounded so that lines nobody reads cannot grow memory: past
// kMaxLines lines (or kMaxBytes bytes) a new line is dropped, and counted at the place where it
// was lost so the writer can say so there.
//
// Thread contract: any thread may Push and Close; one thread Pops.

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

// Hands lines to the sink on a thread of its own. Lines the queue cannot hold or the sink does not
// take are dropped and counted; "[N trace lines dropped]" follows as soon as output flows again.
//
// Thread contract: Push from any thread. Stop (also the destructor) from any thread but the
// writer's: it returns within about kStopMs whatever the sink does. A writer still inside the sink
// by then is left to finish on its own; it keeps the sink and the queue alive until it does.

class TraceWriter {
public:
    // After Stop, the writer goes on with queued lines for this long, then drops the rest.
    static constexpr int kDrainMs = 200;
    static constexpr int kStopMs = kDrainMs + 500;

    explicit TraceWriter(TraceSink sink);
    ~TraceWriter();
    TraceWriter(const TraceWriter&) = delete;
    TraceWriter& operator=(const TraceWriter&) = delete;

    void Push(std::string line);
    void Stop();

private:
    struct Shared;
    static void Run(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

// "[N trace lines dropped]"
std::string DroppedNotice(std::uint64_t count);

}  // namespace platform
