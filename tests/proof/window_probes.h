#pragma once
// What the window proofs need beside the modal driver: knowing when the simulated modem has heard
// a line (so a close can be timed into a command's wait), closing a window whose thread is busy
// the way a user's click on its close button does, and the CPU the process uses while the window
// idles.

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "modemsim/trace/trace.h"
#include "platform/ui/dialog_window.h"
#include "process_figures.h"
#include "stopwatch.h"

// A trace sink that counts the lines the modem received, by their text.
class ModemEar {
public:
    ModemEar() : m_shared(std::make_shared<Shared>()) {}

    // Keeps what it needs alive by itself: the trace's writer may outlive the test's objects.
    modemsim::TraceSink Sink() const {
        return [shared = m_shared](const std::string& line) {
            // "[   3.106] < AT+CMGR=1\r": only what came to the modem.
            const std::size_t mark = line.find("] < ");
            if (mark != std::string::npos) {
                std::lock_guard<std::mutex> lock(shared->lock);
                shared->heard.push_back(line.substr(mark + 4));
                shared->changed.notify_all();
            }
            return true;
        };
    }

    // How many received lines held the text.
    int Count(const std::string& text) const {
        std::lock_guard<std::mutex> lock(m_shared->lock);
        return CountLocked(text);
    }

    // Waits until more than `seen` received lines hold the text; false when the time ran out.
    bool WaitBeyond(const std::string& text, int seen, std::chrono::milliseconds limit) const {
        std::unique_lock<std::mutex> lock(m_shared->lock);
        return m_shared->changed.wait_for(lock, limit, [&] { return CountLocked(text) > seen; });
    }

private:
    struct Shared {
        std::mutex lock;
        std::condition_variable changed;
        std::vector<std::string> heard;
    };
    int CountLocked(const std::string& text) const {
        int count = 0;
        for (const std::string& line : m_shared->heard) {
            count += line.find(text) != std::string::npos ? 1 : 0;
        }
        return count;
    }

    std::shared_ptr<Shared> m_shared;
};

// From any thread: the close request waits in the window's event queue until its thread is free,
// as a click on the close button does while a handler runs.
inline void RequestClose(platform::ui::DialogWindow& window) {
    QMetaObject::invokeMethod(
        &window, [&window] { window.close(); }, Qt::QueuedConnection);
}

// Runs the window's event loop (timers and all) for about `ms`.
inline void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The process's CPU time while the window's event loop runs for about `ms`, as a share of one
// core. The loop runs a little first, so that the repainting after the last click is not counted.
inline double CpuShareWhileIdle(int ms) {
    RunEventLoop(200);
    const double before = ProcessCpuMs();
    const Stopwatch watch;
    RunEventLoop(ms);
    return (ProcessCpuMs() - before) / static_cast<double>(watch.ElapsedMs());
}
