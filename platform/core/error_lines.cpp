#include "platform/core/error_lines.h"

#include <memory>
#include <mutex>

#include "platform/core/bounded_write.h"
#include "platform/core/trace_writer.h"

namespace platform {
namespace {

struct Lines {
    std::mutex lock;
    std::unique_ptr<TraceWriter> writer;  // while the dialogue is traced
    TimePoint start;
};

Lines& TheLines() {
    static Lines lines;
    return lines;
}

}  // namespace

void WriteErrorLine(std::string line) {
    Lines& lines = TheLines();
    {
        std::lock_guard<std::mutex> lock(lines.lock);
        if (lines.writer) {
            lines.writer->Push(std::move(line));
            return;
        }
    }
    WriteWithin(kStandardError, line + '\n', kTraceWriteWaitMs);
}

void WriteDialogueLine(const std::function<std::string(double seconds)>& line) {
    Lines& lines = TheLines();
    std::lock_guard<std::mutex> lock(lines.lock);
    if (lines.writer) {
        const std::chrono::duration<double> elapsed = Clock::now() - lines.start;
        lines.writer->Push(line(elapsed.count()));
    }
}

ScopedErrorLines::ScopedErrorLines(bool traceDialogue, TimePoint programStart)
    : m_running(traceDialogue) {
    if (!m_running) {
        return;
    }
    Lines& lines = TheLines();
    std::lock_guard<std::mutex> lock(lines.lock);
    lines.start = programStart;
    lines.writer = std::make_unique<TraceWriter>(StderrTraceSink());
    detail::g_dialogueTraced.store(true, std::memory_order_relaxed);
}

ScopedErrorLines::~ScopedErrorLines() {
    if (!m_running) {
        return;
    }
    Lines& lines = TheLines();
    std::unique_ptr<TraceWriter> writer;
    {
        std::lock_guard<std::mutex> lock(lines.lock);
        detail::g_dialogueTraced.store(false, std::memory_order_relaxed);
        writer = std::move(lines.writer);
    }
    // Outside the lock: a thread writing a line meanwhile writes it at once instead.
    writer->Stop();
}

}  // namespace platform
