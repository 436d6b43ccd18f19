#include "platform/core/trace_writer.h"

#include "platform/core/bounded_write.h"

namespace platform {

TraceSink DescriptorTraceSink(int fd) {
    // Whether the last line went out only in part; used by the writer thread alone.
    auto torn = std::make_shared<bool>(false);
    return [fd, torn](const std::string& line) {
        const std::size_t opening = *torn ? 1 : 0;
        const std::string text = std::string(opening, '\n') + line + '\n';
        const std::size_t written = WriteWithin(fd, text, kTraceWriteWaitMs);
        if (written >= opening) {
            *torn = written > opening && written < text.size();
        }
        return written == text.size();
    };
}

TraceSink StderrTraceSink() {
    return DescriptorTraceSink(kStandardError);
}

void TraceQueue::Push(std::string line) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_closed) {
        return;
    }
    const bool full = m_entries.size() >= kMaxLines || m_bytes + line.size() > kMaxBytes;
    if (full && !m_entries.empty()) {
        ++m_entries.back().droppedAfter;
        return;
    }
    m_bytes += line.size();
    m_entries.push_back({std::move(line), 0});
    m_changed.notify_one();
}

std::optional<TraceQueue::Entry> TraceQueue::Pop() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [this] { return m_closed || !m_entries.empty(); });
    if (m_entries.empty() || (m_closed && Clock::now() >= m_drainUntil)) {
        m_entries.clear();
        m_bytes = 0;
        return std::nullopt;
    }
    Entry entry = std::move(m_entries.front());
    m_entries.pop_front();
    m_bytes -= entry.line.size();
    return entry;
}

void TraceQueue::Close(Clock::time_point drainUntil) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_closed) {
        m_closed = true;
        m_drainUntil = drainUntil;
    }
    m_changed.notify_all();
}

struct TraceWriter::Shared {
    explicit Shared(TraceSink s) : sink(std::move(s)) {}

    TraceQueue queue;
    const TraceSink sink;
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
};

namespace {

// Writes the notice of lines lost before the entry, the entry, and the notice of lines lost right
// after it; `lost` carries what is still unannounced. Once the sink refuses one thing the entry is
// dropped too, so blocked output costs one wait per entry, not three.
bool Deliver(const TraceSink& sink, const TraceQueue::Entry& entry, std::uint64_t& lost) {
    bool flowing = lost == 0 || sink(DroppedNotice(lost));
    if (flowing) {
        lost = 0;
        flowing = sink(entry.line);
    }
    lost += (flowing ? 0 : 1) + entry.droppedAfter;
    if (flowing && entry.droppedAfter > 0) {
        flowing = sink(DroppedNotice(lost));
        lost = flowing ? 0 : lost;
    }
    return flowing;
}

}  // namespace

std::string DroppedNotice(std::uint64_t count) {
    return "[" + std::to_string(count) + " trace lines dropped]";
}

TraceWriter::TraceWriter(TraceSink sink)
    : m_shared(std::make_shared<Shared>(std::move(sink))),
      m_thread([shared = m_shared] { Run(shared); }) {}

TraceWriter::~TraceWriter() {
    Stop();
}

void TraceWriter::Push(std::string line) {
    m_shared->queue.Push(std::move(line));
}

void TraceWriter::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    const auto now = TraceQueue::Clock::now();
    m_shared->queue.Close(now + std::chrono::milliseconds(kDrainMs));
    std::unique_lock<std::mutex> lock(m_shared->lock);
    const bool finished = m_shared->done.wait_until(lock, now + std::chrono::milliseconds(kStopMs),
                                                    [this] { return m_shared->finished; });
    lock.unlock();
    if (finished) {
        m_thread.join();
    } else {
        m_thread.detach();
    }
}

void TraceWriter::Run(const std::shared_ptr<Shared>& shared) {
    std::uint64_t lost = 0;
    bool flowing = true;
    while (const std::optional<TraceQueue::Entry> entry = shared->queue.Pop()) {
        flowing = Deliver(shared->sink, *entry, lost);
    }
    if (lost > 0 && flowing) {
        shared->sink(DroppedNotice(lost));
    }
    std::lock_guard<std::mutex> lock(shared->lock);
    shared->finished = true;
    shared->done.notify_all();
}

}  // namespace platform
