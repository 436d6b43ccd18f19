// The trace never holds up the modem: lines wait in a bounded queue for a writer thread, lines that
// cannot go out are dropped and counted, and shutting down is bounded whatever the reader does.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "modemsim/simulator.h"
#include "modemsim/trace/byte_escapes.h"
#include "modemsim/trace/trace.h"
#include "platform/simhost/bounded_write.h"
#include "platform/simhost/pipe.h"
#include "simulator_fixture.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;
using modemsim::EscapeBytes;
using modemsim::TraceQueue;
using modemsim::TraceWriter;
using modemsim::UnescapeBytes;

// A sink that blocks until opened, like a terminal on hold; once open it takes lines, or when
// refusing says at once that they did not go out, like a sink that timed out.
struct Gate {
    static modemsim::TraceSink Sink(const std::shared_ptr<Gate>& gate) {
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
        changed.wait_for(guard, 3s,
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

TEST(ByteEscapes, RoundTripAndRejectBadEscapes) {
    const std::string all = std::string("A\r\n\t\\\x1A\x1B\x7F\xFF", 9) + std::string(1, '\0');
    EXPECT_EQ(EscapeBytes(all), "A\\r\\n\\t\\\\\\z\\e\\x7F\\xFF\\0");
    EXPECT_EQ(UnescapeBytes(EscapeBytes(all)), all);
    EXPECT_EQ(UnescapeBytes("\\xab\\x0A"), std::string("\xAB\n"));
    for (const char* bad : {"\\", "\\q", "\\x", "\\x4", "\\x4G", "\\xZZ"}) {
        EXPECT_FALSE(UnescapeBytes(bad)) << bad;
    }
}

TEST(TraceWriter, DropsAndRefusalsAreCountedAndSaidWhereTheyWereLost) {
    auto gate = std::make_shared<Gate>();
    TraceWriter writer(Gate::Sink(gate));
    writer.Push("line 0");
    gate->Await(1);  // the writer holds line 0; the queue is empty
    const std::size_t total = 1 + TraceQueue::kMaxLines + 499;
    for (std::size_t i = 1; i < total; ++i) {
        writer.Push("line " + std::to_string(i));
    }
    gate->Open();
    const std::vector<std::string> lines = gate->Await(0, TraceQueue::kMaxLines + 2);
    ASSERT_EQ(lines.size(), TraceQueue::kMaxLines + 2);
    for (std::size_t i = 0; i <= TraceQueue::kMaxLines; ++i) {
        ASSERT_EQ(lines[i], "line " + std::to_string(i));
    }
    EXPECT_EQ(lines.back(), "[499 trace lines dropped]");
    // Lines the sink refuses are counted too: "a" is refused, "b" and "c" each cost one refused
    // notice and are dropped with it.
    gate->Open(true);
    for (const char* line : {"a", "b", "c"}) {
        writer.Push(line);
    }
    gate->Await(static_cast<int>(lines.size()) + 3);
    gate->Open(false);
    writer.Push("d");
    EXPECT_EQ(gate->Await(0, lines.size() + 2).back(), "d");
    EXPECT_EQ(gate->Await(0).at(lines.size()), "[3 trace lines dropped]");
}

TEST(TraceOnSimulator, StuckSinkHoldsUpNeitherAnswersNorShutdown) {
    auto gate = std::make_shared<Gate>();
    modemsim::SimulatorOptions options;
    options.traceSink = Gate::Sink(gate);
    auto simulator = modemsim::Simulator::Create(options);
    ASSERT_NE(simulator, nullptr);
    {
        ModemClient client(simulator->DevicePath());
        Stopwatch watch;
        EXPECT_EQ(client.Exchange("AT\r\n", "AT\r\r\nOK\r\n"), "AT\r\r\nOK\r\n");
        EXPECT_LT(watch.ElapsedMs(), 1000);
    }
    Stopwatch watch;
    simulator.reset();
    EXPECT_LT(watch.ElapsedMs(), TraceWriter::kStopMs + 1500);
    gate->Open();
}

// A line cut short when the room ran out is ended before the next one.
TEST(DescriptorTraceSink, LineCutShortIsEndedBeforeTheNext) {
    auto pipe = platform::Pipe::Create();
    ASSERT_NE(pipe, nullptr);
    platform::WriteWithin(pipe->WriteEnd(), std::string(1 << 20, 'F'), 0);
    const modemsim::TraceSink sink = modemsim::DescriptorTraceSink(pipe->WriteEnd());
    ASSERT_FALSE(pipe->Read(1000, 4096).empty());  // room for a piece of the next line
    Stopwatch watch;
    EXPECT_FALSE(sink(std::string(3 * 4096, 'L')));
    EXPECT_GE(watch.ElapsedMs(), modemsim::kTraceWriteWaitMs - 20);
    EXPECT_LT(watch.ElapsedMs(), modemsim::kTraceWriteWaitMs + 1000);
    const auto drain = [&] {
        std::string bytes;
        for (std::string more = pipe->Read(100); !more.empty(); more = pipe->Read(100)) {
            bytes += more;
        }
        return bytes;
    };
    std::string output = drain();
    EXPECT_TRUE(sink("next") && sink("last"));
    output += drain();
    const std::size_t lastCut = output.find_last_of('L');
    ASSERT_NE(lastCut, std::string::npos);
    EXPECT_LT(lastCut - output.find('L'), 3u * 4096 - 1);
    EXPECT_EQ(output.substr(lastCut + 1), "\nnext\nlast\n");
}

}  // namespace
