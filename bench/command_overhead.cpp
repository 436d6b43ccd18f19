#include "bench/command_overhead.h"

#include <chrono>

#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "trace_recorder.h"

namespace {

constexpr double kReadIntervalMs = 100.0;

}  // namespace

std::vector<double> CommandOverheadMs(int commands) {
    const TraceRecorder trace;
    modemsim::SimulatorOptions options;
    options.traceSink = trace.Sink();
    const std::unique_ptr<modemsim::Simulator> simulator = modemsim::Simulator::Create(options);
    std::vector<double> samples;
    if (!simulator) {
        return samples;
    }
    // No set-up list: every command measured is the probe alone.
    CModem modem{SetupCommands{}};
    if (modem.Start(platform::Utf8ToUtf16(simulator->DevicePath()), 115200, nullptr) != 1) {
        return samples;
    }
    for (int i = 0; i < commands; ++i) {
        const std::uint64_t before = trace.WritesHolding("OK").count;
        modem.SendLine(u"AT");
        const std::int32_t result = modem.WaitResult();
        const auto returned = TraceRecorder::Clock::now();
        const TraceRecorder::Writes answer = trace.WritesHolding("OK");
        // Only a command decided by exactly its own OK is a sample.
        if (result == 1 && answer.count == before + 1) {
            const std::chrono::duration<double, std::milli> took = returned - answer.lastArrived;
            samples.push_back(took.count() - kReadIntervalMs);
        }
    }
    return samples;
}
