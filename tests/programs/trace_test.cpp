// Quillet and Dorrin with --trace on the simulated modem: the start-up dialogue in order on
// stderr, in lines the simulator's trace reader takes; and a stderr nobody reads holds up neither
// Quillet's polls nor its end.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>

#include "platform/core/bounded_write.h"
#include "platform/simhost/pipe.h"
#include "program_on_modem.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

// The program's stderr until it holds `text`, or 8 s have passed.
std::string ReadUntil(platform::Pipe& pipe, const std::string& text) {
    std::string output;
    for (Stopwatch watch; output.find(text) == std::string::npos && watch.ElapsedMs() < 8000;) {
        output += pipe.Read(100);
    }
    return output;
}

class ProgramTrace : public ::testing::TestWithParam<const char*> {
protected:
    Modem modem;
    const std::unique_ptr<platform::Pipe> pipe = platform::Pipe::Create();
    Running program{GetParam(), modem.simulator->DevicePath(), "--trace", pipe->WriteEnd()};
};

TEST_P(ProgramTrace, ShowsTheStartUpDialogueInOrder) {
    const std::string output = ReadUntil(*pipe, "> AT+IPR=115200\\r\\r\\nOK");
    TraceRecorder recorder;  // its reader takes the simulator's lines, and only those
    for (std::size_t at = 0, end; (end = output.find('\n', at)) != std::string::npos;
         at = end + 1) {
        recorder.Sink()(output.substr(at, end - at));
    }
    std::vector<std::string> dialogue;
    for (const TraceEntry& line : recorder.Now()) {
        if (line.direction != '?') {  // not Qt's own warnings
            dialogue.push_back(line.direction + line.bytes);
        }
    }
    const std::vector<std::string> expected{
        "<AT\r\n",         ">AT\r\r\nOK\r\n",    "<AT\r\n",
        ">AT\r\r\nOK\r\n", "<AT+IPR=115200\r\n", ">AT+IPR=115200\r\r\nOK\r\n"};
    dialogue.resize(std::min(dialogue.size(), expected.size()));  // what came with the last read
    EXPECT_EQ(dialogue, expected);
    program.Signal(SIGTERM);
    EXPECT_TRUE(program.EndsWithin(2000ms));
}

// Once polling, stderr fills up and nobody reads it: the polls keep their pace by the modem's own
// clock (a second after each answer, 0.1 s in the read rule; a blocked trace line would add 0.2 s
// at least), the lost lines are counted once stderr is read again, and with stderr stuck again
// SIGTERM ends the program as promptly as ever (the trace writer's stop is bounded).
class StuckStderr : public ProgramTrace {};

TEST_P(StuckStderr, HoldsUpNeitherPollsNorTheEnd) {
    ASSERT_TRUE(modem.Await('<', "AT+CMGR=1"));
    platform::WriteWithin(pipe->WriteEnd(), std::string(1 << 20, 'F'), 0);
    ASSERT_TRUE(modem.Await('<', "AT+CMGR=1", Count(modem.trace.Now(), '<', "AT+CMGR=1") + 4));
    const TraceRecorder::Entries polls = TraceRecorder::Only(modem.trace.Now(), '<');
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

std::string NameOf(const ::testing::TestParamInfo<const char*>& row) {
    return std::strrchr(row.param, '/') + 1;
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramTrace, ::testing::Values(QUILLET_PROGRAM, DORRIN_PROGRAM),
                         NameOf);
INSTANTIATE_TEST_SUITE_P(Programs, StuckStderr, ::testing::Values(QUILLET_PROGRAM), NameOf);

}  // namespace
