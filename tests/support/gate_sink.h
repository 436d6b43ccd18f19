#pragma once
// A trace sink under the test's control, for the bounded writers of platform/core/trace_writer.h.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/core/trace_writer.h"

// A sink that blocks until opened, like a terminal on hold; once open it takes lines, or when
// refusing says at once that they did not go out, like a sink that timed out.
struct Gate {
    static platform::TraceSink Sink(const std::shared_ptr<Gate>& gate) {
        return [gate](const std::string& line) {
            std::unique_lock<std::mutex> lock(gate->lock);
            ++gate->calls;
            gate->changed.notify_all();
            gate->changed.wait(lock, [&] { return gate->open; });
            if (!gate->refusing) {
                gate->lines.push_back(line);
            }
            gate->changed.notify_all();
            return !gate->refusing;
        };
    }
    void Open(bool refuse = false) {
        std::lock_guard<std::mutex> guard(lock);
        open = true;
        refusing = refuse;
        changed.notify_all();
    }
    // The lines taken, once as many calls and lines came (or after 3 s).
    std::vector<std::string> Await(int atLeastCalls, std::size_t atLeastLines = 0) {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait_for(guard, std::chrono::seconds(3),
                         [&] { return calls >= atLeastCalls && lines.size() >= atLeastLines; });
        return lines;
    }

    std::mutex lock;
    std::condition_variable changed;
    bool open = false;
    bool refusing = false;
    int calls = 0;
    std::vector<std::string> lines;
};
