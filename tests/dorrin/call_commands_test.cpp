// The dialer's call commands against scripted answers on the test backend: the line each one
// writes, how the modem's answer decides it, and that the channel is back in event mode after.

#include <gtest/gtest.h>

#include <thread>

#include "channel_events.h"
#include "dorrin/modem_setup.h"
#include "fake_system.h"
#include "modemlink/modem.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;
using CallCommand = std::int32_t (*)(CModem&);

struct Command {
    const char* name;
    CallCommand run;
};

const Command kCommands[] = {
    {"Dial", [](CModem& modem) { return modem.Dial(u"10086"); }},
    {"HangUp", [](CModem& modem) { return modem.HangUp(); }},
    {"Answer", [](CModem& modem) { return modem.Answer(); }},
    {"Reject", [](CModem& modem) { return modem.Reject(); }},
};

// A dialer channel started on the test backend; each test then scripts the modem's answers.
class CallCommands : public ::testing::Test {
protected:
    void SetUp() override {
        Answering("\r\nOK\r\n");
        ASSERT_EQ(m_modem.Start(u"COM1:", 115200, &m_events), 1);
        m_modem.m_pfnEvent = &ChannelEvents::OnEvent;
        m_startUpBytes = m_system.backend.Written().size();
        m_system.backend.ClearCalls();
    }

    // Every line the channel writes is answered with these bytes at once; empty: silence.
    void Answering(std::string answer) {
        m_system.backend.OnWrite([this, answer = std::move(answer)](const std::string&) {
            if (!answer.empty()) {
                m_system.backend.PushInput(answer);
            }
        });
    }

    std::string WrittenSinceStartUp() const {
        return m_system.backend.Written().substr(m_startUpBytes);
    }

    void ExpectIdle() {
        EXPECT_FALSE(m_modem.IsCollecting());
        EXPECT_TRUE(m_modem.Response().empty());
    }

    FakeSystem m_system;
    ChannelEvents m_events;
    CModem m_modem{DorrinSetupCommands()};
    std::size_t m_startUpBytes = 0;
};

TEST_F(CallCommands, EachWritesOneLineWithCrLf) {
    const struct {
        const char* name;
        CallCommand run;
        std::string line;
    } rows[] = {
        {"dial", [](CModem& m) { return m.Dial(u"123"); }, "ATD123;\r\n"},
        {"dial nothing", [](CModem& m) { return m.Dial(u""); }, "ATD;\r\n"},
        {"blanks and plus stay", [](CModem& m) { return m.Dial(u"+86 139 1234 5678"); },
         "ATD+86 139 1234 5678;\r\n"},
        {"full-width digits", [](CModem& m) { return m.Dial(u"１３９"); }, "ATD139;\r\n"},
        {"hang up", [](CModem& m) { return m.HangUp(); }, "ATH\r\n"},
        {"answer", [](CModem& m) { return m.Answer(); }, "ATA\r\n"},
        {"reject", [](CModem& m) { return m.Reject(); }, "AT+CHUP\r\n"},
    };
    Answering("\r\nOK\r\n");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_startUpBytes = m_system.backend.Written().size();
        m_system.backend.ClearCalls();
        EXPECT_EQ(row.run(m_modem), 1);
        EXPECT_EQ(WrittenSinceStartUp(), row.line);
        EXPECT_EQ(CountOf(m_system.backend.Calls(), "Write("), 1);
        ExpectIdle();
    }
    EXPECT_TRUE(m_events.Take().empty());
}

TEST_F(CallCommands, FinalCodeDecidesAtOnceInEitherCase) {
    const struct {
        const char* answer;
        std::int32_t result;
    } codes[] = {
        {"\r\nOK\r\n", 1},
        {"\r\nok\r\n", 1},
        {"\r\nERROR\r\n", 0},  // e.g. ATA with nothing ringing, on modules that say so
        {"\r\nerror\r\n", 0},
    };
    for (const Command& command : kCommands) {
        for (const auto& code : codes) {
            SCOPED_TRACE(testing::Message() << command.name << " answered " << code.answer);
            Answering(code.answer);
            Stopwatch watch;
            EXPECT_EQ(command.run(m_modem), code.result);
            EXPECT_LT(watch.ElapsedMs(), 250);
            ExpectIdle();
        }
    }
    EXPECT_TRUE(m_events.Take().empty());
}

// Neither "NO CARRIER", "BUSY" nor "+CME ERROR: <n>" is a final code of the channel: the
// command fails only once the modem has been silent for 500 ms.
TEST_F(CallCommands, AnswerWithoutFinalCodeFailsAfterTheSilence) {
    const struct {
        const char* name;
        CallCommand run;
        const char* answer;
    } rows[] = {
        {"answer with nothing ringing", kCommands[2].run, "\r\nNO CARRIER\r\n"},
        {"dial a busy line", kCommands[0].run, "\r\nBUSY\r\n"},
        {"dial, modem silent", kCommands[0].run, ""},
        {"reject with no call", kCommands[3].run, "\r\n+CME ERROR: 3\r\n"},
        {"hang up, OK cut short", kCommands[1].run, "\r\nOK"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Answering(row.answer);
        Stopwatch watch;
        EXPECT_EQ(row.run(m_modem), 0);
        const long long elapsed = watch.ElapsedMs();
        EXPECT_GE(elapsed, 450);
        EXPECT_LE(elapsed, 900);
        ExpectIdle();
    }
    // The NO CARRIER belonged to the ATA: it is no dropped line.
    EXPECT_TRUE(m_events.Take().empty());
}

// A modem that answers after the time-out must not decide the command after: its late OK lands
// on an idle channel and is dropped.
TEST_F(CallCommands, LateOkDoesNotDecideTheNextCommand) {
    Answering("");
    EXPECT_EQ(m_modem.Dial(u"10086"), 0);
    const std::string late = "\r\nOK\r\n";
    CModem::OnSerialData(&m_modem, reinterpret_cast<const std::uint8_t*>(late.data()),
                         static_cast<std::int32_t>(late.size()));
    ExpectIdle();
    Stopwatch watch;
    EXPECT_EQ(m_modem.HangUp(), 0);
    EXPECT_GE(watch.ElapsedMs(), 450);
    EXPECT_TRUE(m_events.Take().empty());
}

// A call that comes in while a command waits rings into its answer; only after the command does a
// ring become an event again.
TEST_F(CallCommands, RingDuringACommandIsPartOfItsAnswer) {
    const std::string ring = "\r\nRING\r\n\r\n+CLIP: \"555\",129,,,,0\r\n";
    for (const Command& command : kCommands) {
        SCOPED_TRACE(command.name);
        Answering(ring);
        // The OK follows as a chunk of its own, once the ring is in the answer.
        std::thread modem([this] {
            Stopwatch watch;
            while (m_modem.Response().find(u"RING") == std::u16string::npos &&
                   watch.ElapsedMs() < 2000) {
                std::this_thread::sleep_for(1ms);
            }
            m_system.backend.PushInput("\r\nOK\r\n");
        });
        Stopwatch watch;
        EXPECT_EQ(command.run(m_modem), 1);
        EXPECT_LT(watch.ElapsedMs(), 400);
        modem.join();
        ExpectIdle();
        EXPECT_TRUE(m_events.Take().empty());

        m_system.backend.PushInput(ring);
        ASSERT_TRUE(m_events.WaitFor(1, 2s));
        EXPECT_EQ(m_events.Take(), (std::vector<ChannelEvent>{{EVT_RING, u"555"}}));
    }
}

// A window keeps polling after a failed start-up: each command must answer at once and leave
// the device alone.
TEST(CallCommandsWithoutPort, FailAtOnceAndWriteNothing) {
    const struct {
        const char* name;
        platform::InjectedFaults faults;
        const char* answer;
    } rows[] = {
        {"device cannot be opened", {true, false, false, false, false}, ""},
        {"modem refuses the line speed", {}, "\r\nERROR\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem system(row.faults);
        const std::string answer = row.answer;
        system.backend.OnWrite([&](const std::string&) {
            if (!answer.empty()) {
                system.backend.PushInput(answer);
            }
        });
        CModem modem{DorrinSetupCommands()};
        ASSERT_EQ(modem.Start(u"COM1:", 115200, nullptr), 0);
        const std::string written = system.backend.Written();
        const auto messages = system.backend.Messages();
        system.backend.ClearCalls();
        Stopwatch watch;
        for (const Command& command : kCommands) {
            SCOPED_TRACE(command.name);
            EXPECT_EQ(command.run(modem), 0);
            EXPECT_FALSE(modem.IsCollecting());
            EXPECT_TRUE(modem.Response().empty());
        }
        EXPECT_LT(watch.ElapsedMs(), 50);
        EXPECT_EQ(system.backend.Written(), written);
        EXPECT_EQ(CountOf(system.backend.Calls(), "Write("), 0);
        EXPECT_EQ(system.backend.Messages(), messages);
    }
}

}  // namespace
