// The trace never holds up the modem: lines wait in a bounded queue for a writer thread, lines
// that cannot be written in time are dropped and counted, and shutting down takes a bounded time
// whatever the trace's reader does.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "modem_client.h"
#include "modemsim/simulator.h"
#include "modemsim/trace/trace.h"
#include "modemsim/trace/trace.h"
#include "platform/simhost/bounded_write.h"
#include "platform/simhost/pipe.h"

namespace {

using namespace std::chrono_literals;
using modemsim::TraceQueue;
using modemsim::TraceWriter;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A sink that takes lines only while open and otherwise blocks, like a terminal on hold; or,
// when refusing, says at once that the line did not go out, like a sink that timed out.
class Gate {
public:
    modemsim::TraceSink Sink(const std::shared_ptr<Gate>& self) {
        return [self](const std::string& line) { return self->Take(line); };
    }
    void Open(bool refusing = false) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_open = true;
        m_refusing = refusing;
        m_changed.notify_all();
    }
    // Waits until `count` calls have reached the sink, or 3 s; the lines taken so far.
    std::vector<std::string> AwaitCalls(int count) {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait_for(lock, 3s, [&] { return m_calls >= count; });
        return m_lines;
    }
    std::vector<std::string> AwaitLines(std::size_t count) {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait_for(lock, 3s, [&] { return m_lines.size() >= count; });
        return m_lines;
    }

private:
    bool Take(const std::string& line) {
        std::unique_lock<std::mutex> lock(m_lock);
        ++m_calls;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
        if (!m_refusing) {
            m_lines.push_back(line);
            m_changed.notify_all();
        }
        return !m_refusing;
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_open = false;
    bool m_refusing = false;
    int m_calls = 0;
    std::vector<std::string> m_lines;
};

TEST(TraceWriter, DropsPastTheBoundAndSaysHowManyWhereTheyWereLost) {
    auto gate = std::make_shared<Gate>();
    TraceWriter writer(gate->Sink(gate));
    writer.Push("line 0");
    gate->AwaitCalls(1);  // the writer holds line 0; the queue is empty
    constexpr std::size_t kLost = 499;
    const std::size_t total = 1 + TraceQueue::kMaxLines + kLost;
    for (std::size_t i = 1; i < total; ++i) {
        writer.Push("line " + std::to_string(i));
    }
    gate->Open();
    std::vector<std::string> lines = gate->AwaitLines(TraceQueue::kMaxLines + 2);
    ASSERT_EQ(lines.size(), TraceQueue::kMaxLines + 2);
    for (std::size_t i = 0; i <= TraceQueue::kMaxLines; ++i) {
        ASSERT_EQ(lines[i], "line " + std::to_string(i));
    }
    EXPECT_EQ(lines.back(), "[499 trace lines dropped]");
    writer.Push("after");
    lines = gate->AwaitLines(TraceQueue::kMaxLines + 3);
    EXPECT_EQ(lines.back(), "after");
}

TEST(TraceWriter, CountsTheLinesTheSinkRefusesAndSaysSoOnceItTakesLinesAgain) {
    auto gate = std::make_shared<Gate>();
    TraceWriter writer(gate->Sink(gate));
    gate->Open(true);
    for (const char* line : {"a", "b", "c"}) {
        writer.Push(line);
    }
    // "a" is refused; "b" and "c" each cost one refused notice and are dropped with it.
    EXPECT_TRUE(gate->AwaitCalls(3).empty());
    gate->Open(false);
    writer.Push("d");
    EXPECT_EQ(gate->AwaitLines(2), (std::vector<std::string>{"[3 trace lines dropped]", "d"}));
}

TEST(TraceWriter, StopReturnsInBoundedTimeWhileTheSinkIsStuck) {
    auto gate = std::make_shared<Gate>();
    {
        TraceWriter writer(gate->Sink(gate));
        writer.Push("stuck");
        gate->AwaitCalls(1);
        writer.Push("queued");
        const Clock::time_point start = Clock::now();
        writer.Stop();
        EXPECT_GE(MsSince(start), TraceWriter::kStopMs - 50);
        EXPECT_LT(MsSince(start), TraceWriter::kStopMs + 1500);
    }
    gate->Open();  // the writer left behind finishes with its line and drops the queued one
    EXPECT_EQ(gate->AwaitLines(1), std::vector<std::string>{"stuck"});
}

std::unique_ptr<modemsim::Simulator> SimulatorTracingTo(modemsim::TraceSink sink) {
    modemsim::SimulatorOptions options;
    options.traceSink = std::move(sink);
    return modemsim::Simulator::Create(options);
}

void ExpectPromptAnswers(ModemClient& client) {
    for (int i = 0; i < 3; ++i) {
        const Clock::time_point sent = Clock::now();
        EXPECT_EQ(client.Exchange("AT\r\n", "AT\r\r\nOK\r\n", 2s), "AT\r\r\nOK\r\n") << i;
        EXPECT_LT(MsSince(sent), 1000) << i;
    }
}

TEST(TraceOnSimulator, StuckSinkHoldsUpNeitherAnswersNorShutdown) {
    auto gate = std::make_shared<Gate>();
    auto simulator = SimulatorTracingTo(gate->Sink(gate));
    ASSERT_NE(simulator, nullptr);
    {
        ModemClient client(simulator->DevicePath());
        ASSERT_TRUE(client.IsOpen());
        ExpectPromptAnswers(client);
    }
    const Clock::time_point start = Clock::now();
    simulator.reset();
    EXPECT_LT(MsSince(start), TraceWriter::kStopMs + 1500);
    gate->Open();
}

// Standard error as a pipe nobody reads: the writer gives each line a bounded wait, and once the
// pipe drains it says what was lost before going on.
TEST(TraceOnSimulator, FullPipeDropsLinesAndReportsThemOnceItDrains) {
    auto pipe = platform::Pipe::Create();
    ASSERT_NE(pipe, nullptr);
    const std::size_t filled =
        platform::WriteWithin(pipe->WriteEnd(), std::string(1 << 20, 'F'), 0);
    ASSERT_GT(filled, 0u);
    auto simulator = SimulatorTracingTo(modemsim::DescriptorTraceSink(pipe->WriteEnd()));
    ASSERT_NE(simulator, nullptr);
    ModemClient client(simulator->DevicePath());
    ASSERT_TRUE(client.IsOpen());
    ExpectPromptAnswers(client);
    // Long enough for the writer to have given up on at least one line.
    std::this_thread::sleep_for(std::chrono::milliseconds(modemsim::kTraceWriteWaitMs * 3));
    std::string output;
    while (output.size() < filled) {
        const std::string bytes = pipe->Read(1000);
        ASSERT_FALSE(bytes.empty());
        output += bytes;
    }
    EXPECT_EQ(client.Exchange("AT\r\n", "AT\r\r\nOK\r\n"), "AT\r\r\nOK\r\n");
    const Clock::time_point deadline = Clock::now() + 3s;
    while (output.find("> \\r\\nOK\\r\\n", filled) == std::string::npos &&
           Clock::now() < deadline) {
        output += pipe->Read(100);
    }
    const std::string trace = output.substr(filled);
    EXPECT_EQ(trace.find('F'), std::string::npos) << trace;
    const std::size_t notice = trace.find(" trace lines dropped]\n");
    EXPECT_NE(notice, std::string::npos) << trace;
    EXPECT_LT(notice, trace.find("< AT\\r\\n")) << trace;
    EXPECT_NE(trace.find("> \\r\\nOK\\r\\n"), std::string::npos) << trace;
}

std::string Drain(platform::Pipe& pipe) {
    std::string output;
    for (std::string bytes = pipe.Read(100); !bytes.empty(); bytes = pipe.Read(100)) {
        output += bytes;
    }
    return output;
}

// A line cut short when the room ran out is ended before the next one, so the next line starts
// on a line of its own.
TEST(DescriptorTraceSink, LineCutShortIsEndedBeforeTheNext) {
    auto pipe = platform::Pipe::Create();
    ASSERT_NE(pipe, nullptr);
    platform::WriteWithin(pipe->WriteEnd(), std::string(1 << 20, 'F'), 0);
    const modemsim::TraceSink sink = modemsim::DescriptorTraceSink(pipe->WriteEnd());
    ASSERT_FALSE(pipe->Read(1000, 4096).empty());  // room for a piece of the next line
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(sink(std::string(3 * 4096, 'L')));
    EXPECT_GE(MsSince(start), modemsim::kTraceWriteWaitMs - 20);
    EXPECT_LT(MsSince(start), modemsim::kTraceWriteWaitMs + 1000);
    std::string output = Drain(*pipe);
    EXPECT_TRUE(sink("next"));
    EXPECT_TRUE(sink("last"));
    output += Drain(*pipe);
    const std::size_t lastCut = output.find_last_of('L');
    ASSERT_NE(lastCut, std::string::npos);
    EXPECT_LT(lastCut - output.find('L'), 3u * 4096 - 1);
    EXPECT_EQ(output.substr(lastCut + 1), "\nnext\nlast\n");
}

}  // namespace
