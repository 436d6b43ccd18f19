#pragma once
// Hands trace lines to the sink on a thread of its own, so that a sink that blocks (a terminal on
// hold, a full pipe) holds up only the trace. Lines the queue cannot hold or the sink does not
// take are dropped and counted; "[N trace lines dropped]" follows as soon as output flows again.
//
// Thread contract: Push from any thread. Stop (also the destructor) from any thread but the
// writer's: it returns within about kStopMs whatever the sink does. A writer still inside the sink
// by then is left to finish on its own; it keeps the sink and the queue alive until it does.

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "modemsim/trace_sink.h"

namespace modemsim {

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

}  // namespace modemsim
