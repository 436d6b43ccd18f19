#include "window_probes.h"

#include <QMetaObject>
#include <QTest>
#include <QTimer>
#include <ctime>

#include "modal_driver.h"
#include "stopwatch.h"

namespace {

int CountIn(const TraceRecorder::Entries& entries, const std::string& text) {
    int count = 0;
    for (const TraceEntry& entry : TraceRecorder::Only(entries, '<')) {
        count += entry.bytes.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

}  // namespace

std::vector<std::string> HeardLines(const TraceRecorder& trace) {
    std::vector<std::string> lines;
    for (const TraceEntry& entry : TraceRecorder::Only(trace.Now(), '<')) {
        const std::size_t end = entry.bytes.find_last_not_of("\r\n");
        lines.push_back(entry.bytes.substr(0, end == std::string::npos ? 0 : end + 1));
    }
    return lines;
}

int HeardCount(const TraceRecorder& trace, const std::string& text) {
    return CountIn(trace.Now(), text);
}

long long HeardAfterMs(const TraceRecorder& trace, const std::string& text,
                       std::chrono::steady_clock::time_point since) {
    for (const TraceEntry& entry : TraceRecorder::Only(trace.Now(), '<')) {
        if (entry.arrived >= since && entry.bytes.find(text) != std::string::npos) {
            return std::chrono::duration_cast<std::chrono::milliseconds>(entry.arrived - since)
                .count();
        }
    }
    return -1;
}

bool WaitHeardBeyond(const TraceRecorder& trace, const std::string& text, int seen,
                     std::chrono::milliseconds limit) {
    const auto done = [&](const TraceRecorder::Entries& entries) {
        return CountIn(entries, text) > seen;
    };
    return done(trace.WaitFor(done, limit));
}

// By the slot's name, not a functor: a functor's captures, written on this thread and read on the
// window's, pass through Qt's own locking, which the race detector cannot see.
void RequestClose(platform::ui::DialogWindow& window) {
    QMetaObject::invokeMethod(&window, "close", Qt::QueuedConnection);
}

void RequestClick(platform::ui::DialogWindow& window, std::int32_t controlId) {
    QMetaObject::invokeMethod(window.Control(controlId), "click", Qt::QueuedConnection);
}

double CpuShareWhileIdle(int ms) {
    QTest::qWait(200);
    // std::clock: the CPU time of every thread of the process.
    const std::clock_t before = std::clock();
    const Stopwatch watch;
    QTest::qWait(ms);
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - before) / CLOCKS_PER_SEC;
    return cpuMs / static_cast<double>(watch.ElapsedMs());
}

std::vector<std::u16string> TextsShown(CDialog& dialog, std::int32_t box, std::size_t upTo,
                                       int limitMs) {
    std::vector<std::u16string> shown;
    std::u16string last = dialog.GetDlgItemText(box);
    WaitUntil(
        [&] {
            const std::u16string now = dialog.GetDlgItemText(box);
            if (now != last) {
                shown.push_back(now);
                last = now;
            }
            return shown.size() >= upTo;
        },
        limitMs);
    return shown;
}

struct StallProbe::Timer {
    QTimer timer;
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
};

StallProbe::StallProbe() : m_timer(new Timer) {
    m_timer->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer->timer, &QTimer::timeout, [this] {
        const auto now = std::chrono::steady_clock::now();
        const long long gap =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - m_timer->last).count();
        m_worstMs = std::max(m_worstMs, gap - 10);
        m_timer->last = now;
    });
    m_timer->timer.start(10);
}

StallProbe::~StallProbe() {
    delete m_timer;
}
