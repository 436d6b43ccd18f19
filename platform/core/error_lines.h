#pragma once
// The program's standard error as lines. While the program traces its modem dialogue (--trace),
// every line goes through one bounded writer (trace_writer.h): the trace and any one-line report
// share its thread, its queue and its 200-ms wait for room, so a stderr nobody reads never holds
// up the program, and a line is never torn by another thread's. Otherwise a line is written at
// once, waiting at most kTraceWriteWaitMs for room.
//
// Thread contract: the program's main thread makes and ends the one ScopedErrorLines; every
// other call from any thread, at any time. A line written after the writer has stopped is written
// at once; dialogue lines after it are no longer wanted and go nowhere.

#include <atomic>
#include <functional>
#include <string>

#include "platform/core/clock.h"

namespace platform {

namespace detail {
inline std::atomic<bool> g_dialogueTraced{false};
}

// Whether the modem dialogue is wanted on stderr: one relaxed load, cheap enough for every pass
// of the port's reader.
inline bool DialogueTraced() {
    return detail::g_dialogueTraced.load(std::memory_order_relaxed);
}

void WriteErrorLine(std::string line);
// A dialogue line, made from the seconds since the program started and queued in the same step,
// so the lines of several threads stay in time order. Nothing while the dialogue is not wanted.
void WriteDialogueLine(const std::function<std::string(double seconds)>& line);

class ScopedErrorLines {
public:
    // traceDialogue: runs the writer, dialogue lines stamped from programStart; otherwise nothing
    // changes.
    ScopedErrorLines(bool traceDialogue, TimePoint programStart);
    // Bounded by TraceWriter::kStopMs, however stuck stderr is.
    ~ScopedErrorLines();
    ScopedErrorLines(const ScopedErrorLines&) = delete;
    ScopedErrorLines& operator=(const ScopedErrorLines&) = delete;

private:
    bool m_running;
};

}  // namespace platform
