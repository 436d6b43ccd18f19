#include "modemsim/trace_writer.h"

#include <condition_variable>
#include <mutex>

#include "modemsim/trace_queue.h"

namespace modemsim {

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

}  // namespace modemsim
