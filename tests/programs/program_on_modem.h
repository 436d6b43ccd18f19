#pragma once
// A built program run on the simulated modem as its users start it, and the modem's own trace of
// what the program said.

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "modemsim/simulator.h"
#include "platform/simhost/child_process.h"
#include "trace_recorder.h"

// How many of the trace's entries in `direction` hold `text`.
inline std::size_t Count(const TraceRecorder::Entries& entries, char direction,
                         const std::string& text) {
    std::size_t count = 0;
    for (const TraceEntry& entry : entries) {
        count += entry.direction == direction && entry.bytes.find(text) != std::string::npos;
    }
    return count;
}

struct Modem {
    TraceRecorder trace;
    std::unique_ptr<modemsim::Simulator> simulator;

    Modem() {
        modemsim::SimulatorOptions options;
        options.traceSink = trace.Sink();
        simulator = modemsim::Simulator::Create(options);
    }
    // Until the modem has seen `count` entries in `direction` holding `text`.
    bool Await(char direction, const std::string& text, std::size_t count = 1) const {
        const auto seen = [&](const TraceRecorder::Entries& all) {
            return Count(all, direction, text) >= count;
        };
        return seen(trace.WaitFor(seen, std::chrono::milliseconds(8000)));
    }
};

// A program on the modem, its exit status awaited on a thread of its own.
class Running {
public:
    // errorFd, when given, becomes the program's stderr.
    Running(const char* path, const std::string& device, const std::string& option = "",
            int errorFd = -1) {
        std::vector<std::string> argv{path};
        if (!option.empty()) {
            argv.push_back(option);
        }
        std::string error;
        m_child = platform::ChildProcess::Start(
            argv, {{"COM1", device}, {"QT_QPA_PLATFORM", "offscreen"}}, error, errorFd);
        if (m_child) {
            m_status =
                std::async(std::launch::async, [child = m_child.get()] { return child->Wait(); });
        }
    }
    ~Running() {
        if (m_status.valid() && !EndsWithin(std::chrono::milliseconds(0))) {
            m_child->Kill();
        }
    }
    bool Started() const { return m_child != nullptr; }
    void Signal(int number) { m_child->Signal(number); }
    bool EndsWithin(std::chrono::milliseconds limit) {
        return m_status.wait_for(limit) == std::future_status::ready;
    }
    int Status() { return m_status.get(); }

private:
    std::unique_ptr<platform::ChildProcess> m_child;
    std::future<int> m_status;
};
