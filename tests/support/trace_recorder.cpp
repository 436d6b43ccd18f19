#include "trace_recorder.h"

#include <cstdlib>
#include <utility>

#include "modemlink/tracetext/byte_escapes.h"

namespace {

// "[   0.412] < AT\r": the time stamp is 8 characters wide.
TraceEntry Parse(const std::string& line, std::chrono::steady_clock::time_point arrived) {
    TraceEntry entry;
    entry.line = line;
    entry.arrived = arrived;
    if (line.size() < 13 || line[0] != '[' || line.compare(9, 2, "] ") != 0 || line[12] != ' ') {
        return entry;
    }
    const std::optional<std::string> bytes = tracetext::UnescapeBytes(line.substr(13));
    if (bytes) {
        entry.seconds = std::strtod(line.c_str() + 1, nullptr);
        entry.direction = line[11];
        entry.bytes = *bytes;
    }
    return entry;
}

}  // namespace

platform::TraceSink TraceRecorder::Sink() const {
    return [shared = m_shared](const std::string& line) {
        TraceEntry entry = Parse(line, Clock::now());
        std::lock_guard<std::mutex> lock(shared->lock);
        shared->entries.push_back(std::move(entry));
        shared->changed.notify_all();
        return true;
    };
}

TraceRecorder::Entries TraceRecorder::WaitFor(const std::function<bool(const Entries&)>& done,
                                              std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> lock(m_shared->lock);
    m_shared->changed.wait_for(lock, limit, [&] { return done(m_shared->entries); });
    return m_shared->entries;
}

TraceRecorder::Entries TraceRecorder::Now() const {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    return m_shared->entries;
}

TraceRecorder::Writes TraceRecorder::WritesHolding(const std::string& text) const {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    Writes writes;
    for (const TraceEntry& entry : m_shared->entries) {
        if (entry.direction == '>' && entry.bytes.find(text) != std::string::npos) {
            ++writes.count;
            writes.lastArrived = entry.arrived;
        }
    }
    return writes;
}

TraceRecorder::Entries TraceRecorder::Only(const Entries& entries, char direction) {
    Entries chosen;
    for (const TraceEntry& entry : entries) {
        if (entry.direction == direction) {
            chosen.push_back(entry);
        }
    }
    return chosen;
}
