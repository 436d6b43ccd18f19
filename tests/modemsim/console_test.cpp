// The console verbs: good ones reach the controller, bad ones are explained and change nothing.

#include <gtest/gtest.h>

#include "modemsim/console/console.h"

namespace {

using modemsim::Console;
using modemsim::ModemState;

struct ConsoleTest : ::testing::Test {
    void SetUp() override {
        simulator = modemsim::Simulator::Create();
        ASSERT_NE(simulator, nullptr);
        console = std::make_unique<Console>(*simulator);
    }
    std::unique_ptr<modemsim::Simulator> simulator;
    std::unique_ptr<Console> console;
};

// What a verb may change, as one comparable text.
std::string Observable(const ModemState& state) {
    std::string text;
    for (const auto& [index, sms] : state.storage.Occupied()) {
        text += std::to_string(index) + sms.sender + sms.text + ";";
    }
    const auto& f = state.faults;
    for (const long value :
         {long{f.silent}, long{f.errorAll}, long(f.errorCommands.size()), long{f.answerDelayMs},
          long(f.splitBytes), long{f.splitGapMs}, long{f.sendError.value_or(-1)},
          long{state.emptyReadError}, long(state.call.phase), long{state.settings.registration}}) {
        text += std::to_string(value) + ",";
    }
    return text;
}

TEST_F(ConsoleTest, BadInputIsExplainedAndChangesNothing) {
    ASSERT_EQ(console->Execute("sms +39111 kept"), "stored in slot 1");
    const std::string before = Observable(simulator->Snapshot());
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"frobnicate", "unknown verb"}, {"SMS +1 upper case", "unknown verb"}, {"sms +1", "usage"},
        {"sms-to 0 +1 text", "usage"}, {"sms-to 21 +1 text", "usage"},
        {"sms-to 1 +1 text", "refused: slot 1 holds a message"},
        {"sms +1 bad\\q escape", "refused: bad escape"},
        {"sms \"quoted\" text", "refused: the sender"},
        {"sms +1 " + std::string(161, 'x'), "refused: the text is longer"}, {"ring +1 +2", "usage"},
        {"hangup", "refused: there is no call"}, {"creg 6", "usage"}, {"error +C MGS", "usage"},
        {"error +CMGX", "refused: +CMGX is not a command this modem knows"},
        {"error ATV1", "refused: V is not a command this modem knows"}, {"delay 60001", "usage"},
        {"split 0 10", "usage"}, {"sendfail 512", "usage"}, {"inject \\x4", "usage"},
        {"garbage 65537", "usage"}, {"longline 99999999999", "usage"},
        {std::string("list\0", 5), "unknown verb 'list\\0'"},
        // clang-format on
    };
    for (const auto& [line, expected] : cases) {
        const std::string reply = console->Execute(line);
        EXPECT_NE(reply.find(expected), std::string::npos) << line << " -> " << reply;
    }
    EXPECT_EQ(Observable(simulator->Snapshot()), before);
    EXPECT_FALSE(console->QuitRequested());
    EXPECT_EQ(console->Execute("quit"), "bye");
    EXPECT_TRUE(console->QuitRequested());
}

TEST_F(ConsoleTest, GoodVerbsReachTheController) {
    EXPECT_EQ(console->Execute(""), "");
    EXPECT_EQ(console->Execute("sms-to 20 Bank two  spaces\\r\\n"), "stored in slot 20");
    EXPECT_EQ(console->Execute("  sms\t+1 first"), "stored in slot 1");
    for (int i = 2; i <= 19; ++i) {
        ASSERT_EQ(console->Execute("sms +1 filler"), "stored in slot " + std::to_string(i));
    }
    EXPECT_EQ(console->Execute("sms +1 one too many"), "refused: the storage is full");
    EXPECT_EQ(console->Execute("clear 2"), "slot 2 is empty");
    EXPECT_EQ(console->Execute("sms +1 refill"), "stored in slot 2");
    const std::string list = console->Execute("list");
    EXPECT_TRUE(list.find("20  REC UNREAD  Bank") != std::string::npos &&
                list.find("two  spaces\\r\\n") != std::string::npos)
        << list;
    EXPECT_EQ(console->Execute("ring withheld"), "ringing, number withheld");
    EXPECT_EQ(console->Execute("hangup"), "the other side hung up");
    for (const char* verb : {"silent on", "error +cmgs", "delay 250", "split 7 30", "sendfail 42",
                             "emptyread error", "creg 5"}) {
        console->Execute(verb);
    }
    EXPECT_EQ(console->Execute("error ATE0"), "ERROR to E");
    const ModemState state = simulator->Snapshot();
    EXPECT_EQ(Observable(state).substr(Observable(state).rfind(';') + 1),
              "1,0,2,250,7,30,42,1,0,5,");
    EXPECT_EQ(state.faults.errorCommands, (std::set<std::string>{"+CMGS", "E"}));
    EXPECT_NE(console->Execute("status").find("error +CMGS E, delay 250 ms, split 7 bytes/30 ms"),
              std::string::npos);
    console->Execute("error off");
    console->Execute("split off");
    EXPECT_TRUE(simulator->Snapshot().faults.errorCommands.empty());
    EXPECT_EQ(simulator->Snapshot().faults.splitBytes, 0u);
}

}  // namespace
