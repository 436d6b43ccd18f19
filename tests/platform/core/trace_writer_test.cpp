// Lines for a stuck reader: a bounded queue, drops counted and said where they were lost, and a
// descriptor sink that waits a bounded time and never runs two lines together.

#include "platform/core/trace_writer.h"

#include <gtest/gtest.h>

#include "gate_sink.h"
#include "platform/core/bounded_write.h"
#include "platform/simhost/pipe.h"
#include "stopwatch.h"

namespace {

using platform::TraceQueue;
using platform::TraceWriter;

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

// A line cut short when the room ran out is ended before the next one.
TEST(DescriptorTraceSink, LineCutShortIsEndedBeforeTheNext) {
    auto pipe = platform::Pipe::Create();
    ASSERT_NE(pipe, nullptr);
    platform::WriteWithin(pipe->WriteEnd(), std::string(1 << 20, 'F'), 0);
    const platform::TraceSink sink = platform::DescriptorTraceSink(pipe->WriteEnd());
    ASSERT_FALSE(pipe->Read(1000, 4096).empty());  // room for a piece of the next line
    Stopwatch watch;
    EXPECT_FALSE(sink(std::string(3 * 4096, 'L')));
    EXPECT_GE(watch.ElapsedMs(), platform::kTraceWriteWaitMs - 20);
    EXPECT_LT(watch.ElapsedMs(), platform::kTraceWriteWaitMs + 1000);
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
