// Quillet and Dorrin with --trace on the simulated modem: the start-up dialogue in order on
// stderr, in lines the simulator's trace reader takes; and a stderr nobody reads holds up neither
// Quillet's polls nor its end.

#include <gtest/gtest.h>

#include <csignal>

#include "platform/core/bounded_write.h"
#include "platform/simhost/pipe.h"
#include "program_on_modem.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

struct Program {
    const char* name;
    const char* path;
};

void PrintTo(const Program& program, std::ostream* stream) {
    *stream << program.name;
}

// The program's stderr until it holds `text`, or 8 s have passed.
std::string ReadUntil(platform::Pipe& pipe, const std::string& text) {
    std::string output;
    for (Stopwatch watch; output.find(text) == std::string::npos && watch.ElapsedMs() < 8000;) {
        output += pipe.Read(100);
    }
    return output;
}

// Lines as the simulator's trace reader takes them.
TraceRecorder::Entries AsTrace(const std::string& output) {
    const TraceRecorder recorder;
    const platform::TraceSink sink = recorder.Sink();
    for (std::size_t at = 0, end; (end = output.find('\n', at)) != std::string::npos;
         at = end + 1) {
        sink(output.substr(at, end - at));
    }
    return recorder.Now();
}

class ProgramTrace : public ::testing::TestWithParam<Program> {};

TEST_P(ProgramTrace, ShowsTheStartUpDialogueInOrder) {
    Modem modem;
    const auto pipe = platform::Pipe::Create();
    ASSERT_TRUE(modem.simulator && pipe);
    Running program(GetParam().path, modem.simulator->DevicePath(), "--trace", pipe->WriteEnd());
    const TraceRecorder::Entries lines = AsTrace(ReadUntil(*pipe, "> AT+IPR=115200\\r\\r\\nOK"));
    const std::vector<std::pair<char, std::string>> expected{{'<', "AT\r\n"},
                                                             {'>', "AT\r\r\nOK\r\n"},
                                                             {'<', "AT+IPR=115200\r\n"},
                                                             {'>', "AT+IPR=115200\r\r\nOK\r\n"}};
    auto next = expected.begin();
    double last = 0;
    for (const TraceEntry& line : lines) {
        if (line.direction == '?') {
            continue;  // not the dialogue: Qt's own warnings
        }
        EXPECT_GE(line.seconds, last) << line.line;
        last = line.seconds;
        next +=
            next != expected.end() && next->first == line.direction && next->second == line.bytes;
    }
    EXPECT_EQ(next, expected.end()) << lines.size() << " lines, missing " << next->second;
    program.Signal(SIGTERM);
    EXPECT_TRUE(program.EndsWithin(2000ms));
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramTrace,
                         ::testing::Values(Program{"quillet", QUILLET_PROGRAM},
                                           Program{"dorrin", DORRIN_PROGRAM}),
                         [](const auto& row) { return std::string(row.param.name); });

class StuckStderr : public ::testing::TestWithParam<Program> {};

// Once polling, stderr fills up and nobody reads it: the polls keep their pace by the modem's own
// clock (a second after each answer, 0.1 s in the read rule; a blocked trace line would add 0.2 s
// at least), the lost lines are counted once stderr is read again, and with stderr stuck again
// SIGTERM ends the program as promptly as ever (the trace writer's stop is bounded).
TEST_P(StuckStderr, HoldsUpNeitherPollsNorTheEnd) {
    Modem modem;
    const auto pipe = platform::Pipe::Create();
    ASSERT_TRUE(modem.simulator && pipe);
    Running program(GetParam().path, modem.simulator->DevicePath(), "--trace", pipe->WriteEnd());
    ASSERT_TRUE(modem.Await('<', "AT+CMGR=1"));
    platform::WriteWithin(pipe->WriteEnd(), std::string(1 << 20, 'F'), 0);
    const std::size_t before = Count(modem.trace.Now(), '<', "AT+CMGR=1");
    ASSERT_TRUE(modem.Await('<', "AT+CMGR=1", before + 4));
    const TraceRecorder::Entries polls =
        TraceRecorder::Only(modem.trace.Now(), '<');  // polls and nothing else while idle
    for (std::size_t i = polls.size() - 4; i < polls.size(); ++i) {
        EXPECT_LT(polls[i].seconds - polls[i - 1].seconds, 1.35) << polls[i].line;
    }
    const std::string notice = " trace lines dropped]\n";
    EXPECT_NE(ReadUntil(*pipe, notice).find(notice), std::string::npos);
    platform::WriteWithin(pipe->WriteEnd(), std::string(1 << 20, 'F'), 0);
    program.Signal(SIGTERM);
    Stopwatch watch;
    ASSERT_TRUE(program.EndsWithin(2000ms));
    EXPECT_EQ(program.Status(), 0);
    std::cerr << "ended " << watch.ElapsedMs() << " ms after SIGTERM\n";
}

INSTANTIATE_TEST_SUITE_P(Programs, StuckStderr,
                         ::testing::Values(Program{"quillet", QUILLET_PROGRAM}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
