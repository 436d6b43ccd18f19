// The retrying start-up against a scripted modem on a pseudo-terminal, and its bookkeeping on
// the test backend.

#include <gtest/gtest.h>

#include "dorrin/modem_setup.h"
#include "fake_system.h"
#include "modemlink/modem.h"
#include "quillet/modem_setup.h"
#include "recorded_messages.h"
#include "scripted_modem.h"
#include "stopwatch.h"

namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::u16string kCannotOpen = u"无法打开端口或端口已打开!请检查是否已被占用.";

class StartUp : public ::testing::Test {
protected:
    RecordedMessages m_messages;
};

std::vector<std::string> Lines(std::initializer_list<const char*> lines) {
    return std::vector<std::string>(lines.begin(), lines.end());
}

TEST_F(StartUp, EachProgramSendsItsOwnListAfterTheLineSpeed) {
    const struct {
        const char* program;
        const SetupCommands& commands;
        std::string bytes;
    } rows[] = {
        {"message program", QuilletSetupCommands(),
         "AT\r\nAT\r\nAT+IPR=115200\r\nAT+CREG=1\r\nAT+CLIP=1\r\nAT+CMGF=1\r\nAT+CSCS=\"GSM\"\r\n"},
        {"dialer program", DorrinSetupCommands(),
         "AT\r\nAT\r\nAT+IPR=115200\r\nAT+CLIP=1\r\nAT+CMGF=1\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.program);
        ScriptedModem modem(AnswerEverything(kOk));
        CModem channel{row.commands};
        Stopwatch watch;
        EXPECT_EQ(channel.Start(modem.DeviceName(), 115200, this), 1);
        EXPECT_EQ(modem.Received(), row.bytes);
        EXPECT_FALSE(channel.IsCollecting());
        EXPECT_LT(watch.ElapsedMs(), 2000);  // ~100 ms per answered command
    }
    EXPECT_TRUE(m_messages.texts.empty());
}

TEST_F(StartUp, SucceedsInTheSecondAttempt) {
    ScriptedModem modem([](const std::string&, int index) { return index < 3 ? kError : kOk; });
    CModem channel{DorrinSetupCommands()};
    EXPECT_EQ(channel.Start(modem.DeviceName(), 115200, this), 1);
    EXPECT_EQ(modem.Lines(), Lines({"AT", "AT", "AT+IPR=115200", "AT", "AT", "AT+IPR=115200",
                                    "AT+CLIP=1", "AT+CMGF=1"}));
    // The surviving port is the second one, and it works.
    channel.SendLine(u"AT");
    EXPECT_EQ(channel.WaitResult(), 1);
    EXPECT_TRUE(m_messages.texts.empty());
}

TEST_F(StartUp, OnlyTheLineSpeedAnswerDecides) {
    ScriptedModem modem(
        [](const std::string& line, int) { return line == "AT+IPR=115200" ? kOk : kError; });
    CModem channel{QuilletSetupCommands()};
    EXPECT_EQ(channel.Start(modem.DeviceName(), 115200, this), 1);
    EXPECT_EQ(modem.Lines(), Lines({"AT", "AT", "AT+IPR=115200", "AT+CREG=1", "AT+CLIP=1",
                                    "AT+CMGF=1", "AT+CSCS=\"GSM\""}));
}

TEST_F(StartUp, SilentModemFailsAfterTwoAttempts) {
    ScriptedModem modem(AnswerEverything(""));
    CModem channel{QuilletSetupCommands()};
    Stopwatch watch;
    EXPECT_EQ(channel.Start(modem.DeviceName(), 115200, this), 0);
    const long long elapsed = watch.ElapsedMs();
    EXPECT_GE(elapsed, 3300);  // 2 x (3 x 500 ms + the port's 200 ms)
    EXPECT_LE(elapsed, 4300);
    EXPECT_EQ(modem.Lines().size(), 6u);
    EXPECT_TRUE(m_messages.texts.empty());
    // No port is left holding the device.
    CSerialPort other;
    EXPECT_EQ(other.Open(modem.DeviceName(), 115200, 8, 0, 0, 1, 1, nullptr), 1);
}

TEST_F(StartUp, UnopenableDeviceIsToldOnceAndNotRetried) {
    CModem channel{QuilletSetupCommands()};
    Stopwatch watch;
    EXPECT_EQ(channel.Start(u"/dev/no-such-modem", 115200, this), 0);
    EXPECT_EQ(m_messages.texts, std::vector<std::u16string>{kCannotOpen});
    EXPECT_LT(watch.ElapsedMs(), 100);
}

TEST(StartUpBookkeeping, OpenFailureOpensOnce) {
    FakeSystem system(platform::InjectedFaults{true, false, false, false, false});
    CModem channel{QuilletSetupCommands()};
    EXPECT_EQ(channel.Start(u"COM1:", 115200, nullptr), 0);
    EXPECT_EQ(system.backend.OpenCount(), 1);
    EXPECT_EQ(system.backend.Messages(), std::vector<std::u16string>{kCannotOpen});
}

TEST(StartUpBookkeeping, FailedAttemptLeavesNoPortThreadOrEventBehind) {
    FakeSystem system;
    int lineSpeedAnswers = 0;
    system.backend.OnWrite([&](const std::string& line) {
        const bool lineSpeed = line == "AT+IPR=115200\r\n";
        lineSpeedAnswers += lineSpeed ? 1 : 0;
        system.backend.PushInput(lineSpeed && lineSpeedAnswers == 1 ? kError : kOk);
    });
    {
        CModem channel{DorrinSetupCommands()};
        EXPECT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
        const auto calls = system.backend.Calls();
        EXPECT_EQ(system.backend.OpenCount(), 2);
        EXPECT_EQ(CountOf(calls, "StartThread"), 2);
        // The first attempt's port is gone (device closed, thread ended) before the second opens.
        const int secondOpen =
            static_cast<int>(calls.size()) -
            static_cast<int>(std::find(calls.rbegin(), calls.rend(), "OpenDevice(COM1:)") -
                             calls.rbegin()) -
            1;
        int closedBefore = 0;
        for (int i = 0; i < secondOpen; ++i) {
            closedBefore += calls[static_cast<std::size_t>(i)] == "CloseThread" ? 1 : 0;
        }
        EXPECT_EQ(closedBefore, 1);
        EXPECT_EQ(CountOf(calls, "CreateEvent") - CountOf(calls, "CloseEvent"), 2)
            << "the live port's stop event and the live response event";
        EXPECT_TRUE(system.backend.DeviceIsOpen());
    }
    const auto calls = system.backend.Calls();
    EXPECT_EQ(CountOf(calls, "CreateEvent"), CountOf(calls, "CloseEvent"));
    EXPECT_FALSE(system.backend.DeviceIsOpen());
}

TEST(StartUpBookkeeping, StartTwiceIsRefusedWithoutTouchingThePort) {
    FakeSystem system;
    system.backend.OnWrite([&](const std::string&) { system.backend.PushInput(kOk); });
    CModem channel{SetupCommands{}};
    ASSERT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
    EXPECT_EQ(channel.Start(u"COM1:", 115200, nullptr), 0);
    EXPECT_EQ(system.backend.OpenCount(), 1);
    EXPECT_TRUE(system.backend.DeviceIsOpen());
}

}  // namespace
