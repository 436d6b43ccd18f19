// The retrying start-up against the scripted modem on the test backend: the lines, the attempts
// and what each leaves behind.

#include <gtest/gtest.h>

#include <algorithm>

#include "dorrin/modem_setup.h"
#include "fake_system.h"
#include "modemlink/modem.h"
#include "modemlink/port_messages.h"
#include "quillet/modem_setup.h"
#include "scripted_device.h"

namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";

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
          "AT+CSMP=17,167,0,0", "AT+CSDH=1", "AT+CNMI=2,1,0,0,0", "AT+CMEE=1"}},
        {"first attempt refused",
         DorrinSetupCommands(),
         [](const std::string&, int index) { return index < 3 ? kError : kOk; },
         {"AT", "AT", "AT+IPR=115200", "AT", "AT", "AT+IPR=115200", "AT+CLIP=1", "AT+CMGF=1",
          "AT+CVHU=0"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem system;
        int index = 0;
        ScriptedDevice modem(system.backend, [&](const std::string& line) {
            return Say(row.answer(line, index++));
        });
        CModem channel{row.commands};
        EXPECT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
        EXPECT_EQ(modem.Lines(), row.lines);
        // The surviving port works.
        channel.SendLine(u"AT+IPR=115200");
        EXPECT_EQ(channel.WaitResult(), 1);
        EXPECT_TRUE(system.backend.Messages().empty());
    }
}

TEST(StartUp, RefusedTwiceFailsAndLeavesTheDeviceFree) {
    FakeSystem system;
    ScriptedDevice modem(system.backend, AnswerEverything(kError));
    {
        CModem channel{QuilletSetupCommands()};
        EXPECT_EQ(channel.Start(u"COM1:", 115200, nullptr), 0);
        EXPECT_EQ(modem.Lines().size(), 6u);
    }
    EXPECT_TRUE(system.backend.Messages().empty());
    EXPECT_FALSE(system.backend.DeviceIsOpen());
}

TEST(StartUpBookkeeping, UnopenableDeviceIsToldOnceAndNotRetried) {
    FakeSystem system(platform::InjectedFaults{true, false, false, false, false});
    CModem channel{QuilletSetupCommands()};
    EXPECT_EQ(channel.Start(u"COM1:", 115200, nullptr), 0);
    EXPECT_EQ(system.backend.OpenCount(), 1);
    EXPECT_EQ(system.backend.Messages(), std::vector<std::u16string>{kPortCannotOpen});
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

// A module still booting refuses part of the list: only what it refused is tried again, at the
// window's retries, until it takes each once or a minute has passed since the start-up.
TEST(StartUp, RefusedSetupIsRetriedUntilTakenOrAMinuteHasPassed) {
    const SetupCommands list = {u"AT+CLIP=1", u"AT+CMGF=1", u"AT+CSCS=\"GSM\""};
    const struct {
        const char* name;
        long long readyAtMs;  // from then on every command is taken; -1: AT+CMGF=1 never
        std::vector<long long> retriesAtMs;
        std::vector<std::int32_t> pending;  // SetupPending after the start-up and each retry
        Lines retried;
    } rows[] = {
        {"ready at once", 0, {}, {0}, {}},
        {"ready after 5 s", 5000, {3000, 6000, 9000}, {1, 1, 0, 0},
         {"AT+CLIP=1", "AT+CMGF=1", "AT+CSCS=\"GSM\"", "AT+CLIP=1", "AT+CMGF=1",
          "AT+CSCS=\"GSM\""}},
        {"one command never taken", -1, {3000, 59999, 60000}, {1, 1, 1, 0},
         {"AT+CMGF=1", "AT+CMGF=1"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem system;
        const platform::TimePoint start = system.backend.Now();
        ScriptedDevice modem(system.backend, [&](const std::string& line) {
            const bool booting = row.readyAtMs < 0 ? line == "AT+CMGF=1"
                                                   : system.backend.MsSince(start) < row.readyAtMs;
            const bool basic = line == "AT" || line == "AT+IPR=115200";
            return Say(basic || !booting ? kOk : kError);
        });
        CModem channel{list};
        ASSERT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
        const std::size_t afterStart = modem.Lines().size();
        std::vector<std::int32_t> pending = {channel.SetupPending()};
        for (const long long at : row.retriesAtMs) {
            system.backend.Advance(std::chrono::milliseconds(at - system.backend.MsSince(start)));
            channel.RetrySetup();
            pending.push_back(channel.SetupPending());
        }
        EXPECT_EQ(pending, row.pending);
        const Lines lines = modem.Lines();
        EXPECT_EQ(Lines(lines.begin() + static_cast<std::ptrdiff_t>(afterStart), lines.end()),
                  row.retried);
    }
}

// A module that started afresh while its device stayed gets the whole start-up again, on the
// port that is open.
TEST(StartUp, RestartRunsTheWholeStartUpOnTheOpenPort) {
    FakeSystem system;
    ScriptedDevice modem(system.backend, AnswerEverything(kOk));
    CModem channel{SetupCommands{u"AT+CLIP=1"}};
    ASSERT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
    const std::size_t afterStart = modem.Lines().size();
    EXPECT_EQ(channel.Restart(), 1);
    const Lines lines = modem.Lines();
    EXPECT_EQ(Lines(lines.begin() + static_cast<std::ptrdiff_t>(afterStart), lines.end()),
              (Lines{"AT", "AT", "AT+IPR=115200", "AT+CLIP=1"}));
    EXPECT_EQ(system.backend.OpenCount(), 1);
}

}  // namespace
