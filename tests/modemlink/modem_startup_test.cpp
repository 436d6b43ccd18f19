// The retrying start-up against the scripted modem on a pseudo-terminal, and its bookkeeping on
// the test backend.

#include <gtest/gtest.h>

#include <algorithm>

#include "dorrin/modem_setup.h"
#include "fake_system.h"
#include "modemlink/modem.h"
#include "quillet/modem_setup.h"
#include "recorded_messages.h"
#include "scripted_modem.h"

namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::u16string kCannotOpen = u"无法打开端口或端口已打开!请检查是否已被占用.";
// Padded answers come through at once instead of after the port's read interval.
constexpr ModemOptions kPadded{false, true, true};

using Lines = std::vector<std::string>;

TEST(StartUp, OnlyTheLineSpeedAnswerDecidesAndASecondAttemptFollowsAFailure) {
    const struct {
        const char* name;
        const SetupCommands& commands;
        std::function<std::string(const std::string& line, int index)> answer;
        Lines lines;
    } rows[] = {
        {"probes refused, line speed taken",
         QuilletSetupCommands(),
         [](const std::string& line, int) { return line == "AT+IPR=115200" ? kOk : kError; },
         {"AT", "AT", "AT+IPR=115200", "AT+CREG=1", "AT+CLIP=1", "AT+CMGF=1", "AT+CSCS=\"GSM\"",
          "AT+CSDH=1"}},
        {"first attempt refused",
         DorrinSetupCommands(),
         [](const std::string&, int index) { return index < 3 ? kError : kOk; },
         {"AT", "AT", "AT+IPR=115200", "AT", "AT", "AT+IPR=115200", "AT+CLIP=1", "AT+CMGF=1"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordedMessages messages;
        int index = 0;
        ScriptedModem modem([&](const std::string& line) { return Say(row.answer(line, index++)); },
                            kPadded);
        CModem channel{row.commands};
        EXPECT_EQ(channel.Start(modem.DeviceName(), 115200, nullptr), 1);
        EXPECT_EQ(modem.Lines(), row.lines);
        // The surviving port works.
        channel.SendLine(u"AT+IPR=115200");
        EXPECT_EQ(channel.WaitResult(), 1);
        EXPECT_TRUE(messages.texts.empty());
    }
}

TEST(StartUp, RefusedTwiceFailsAndLeavesTheDeviceFree) {
    RecordedMessages messages;
    ScriptedModem modem(AnswerEverything(kError), kPadded);
    {
        CModem channel{QuilletSetupCommands()};
        EXPECT_EQ(channel.Start(modem.DeviceName(), 115200, nullptr), 0);
    }
    EXPECT_EQ(modem.LineCount(), 6);
    EXPECT_TRUE(messages.texts.empty());
    CSerialPort other;
    EXPECT_EQ(other.Open(modem.DeviceName(), 115200, 8, 0, 0, 1, 1, nullptr), 1);
}

TEST(StartUpBookkeeping, UnopenableDeviceIsToldOnceAndNotRetried) {
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
        EXPECT_EQ(channel.Start(u"COM1:", 115200, nullptr), 0);  // started once already
        const auto calls = system.backend.Calls();
        EXPECT_EQ(system.backend.OpenCount(), 2);
        EXPECT_EQ(CountOf(calls, "StartThread"), 2);
        // The first attempt's port is gone (thread ended) before the second opens.
        const auto secondOpen = std::find(calls.rbegin(), calls.rend(), "OpenDevice(COM1:)");
        EXPECT_EQ(std::count(secondOpen, calls.rend(), "CloseThread"), 1);
        EXPECT_EQ(CountOf(calls, "CreateEvent") - CountOf(calls, "CloseEvent"), 2)
            << "the live port's stop event and the live response event";
        EXPECT_TRUE(system.backend.DeviceIsOpen());
    }
    const auto calls = system.backend.Calls();
    EXPECT_EQ(CountOf(calls, "CreateEvent"), CountOf(calls, "CloseEvent"));
    EXPECT_FALSE(system.backend.DeviceIsOpen());
}

}  // namespace
