// The dialer's call commands: each on the line it writes (the scripted modem, on virtual time),
// then end to end with the dialer's own set-up list against the simulated modem, where the
// silence is waited out once on real time. The silence's own rules, events and the channel without
// a port are the channel's tests.

#include <gtest/gtest.h>

#include "channel_events.h"
#include "dorrin/modem_setup.h"
#include "fake_system.h"
#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "recorded_messages.h"
#include "scripted_device.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRingPeriodMs = 300;

TEST(CallCommands, EachWritesItsLineAndTakesTheFinalResult) {
    const struct {
        std::int32_t (*run)(CModem&);
        std::string line;
        std::int32_t result;
    } rows[] = {
        {[](CModem& m) { return m.Dial(u"+86 139 1234"); }, "ATD+86 139 1234;", 1},
        {[](CModem& m) { return m.Dial(u"１３９"); }, "ATD139;", 0},  // full-width digits
        {[](CModem& m) { return m.HangUp(); }, "ATH", 1},
        {[](CModem& m) { return m.Answer(); }, "ATA", 0},
        {[](CModem& m) { return m.Reject(); }, "AT+CHUP", 1},
    };
    // ERROR for the lines whose row expects 0.
    FakeSystem system;
    ScriptedDevice modem(system.backend, [&](const std::string& line) {
        for (const auto& row : rows) {
            if (row.line == line && row.result == 0) {
                return Say("\r\nERROR\r\n");
            }
        }
        return Say("\r\nOK\r\n");
    });
    CModem channel{DorrinSetupCommands()};
    ASSERT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const std::size_t before = modem.Lines().size();
        EXPECT_EQ(row.run(channel), row.result);
        const std::vector<std::string> lines = modem.Lines();
        ASSERT_EQ(lines.size(), before + 1);
        EXPECT_EQ(lines.back(), row.line);
        EXPECT_FALSE(channel.IsCollecting());
    }
}

// How each call command is decided on each module family's answer: at once on its own result or
// a call report in its place; after the silence when the module took a dial and is still placing
// the call (1) or said nothing at all (0). Reports after the command's own result are events,
// handed over once it has returned.
TEST(CallCommands, DecideOnEveryFamilysAnswer) {
    using Command = std::int32_t (*)(CModem&);
    const Command dial = [](CModem& m) { return m.Dial(u"1"); };
    const Command hangUp = [](CModem& m) { return m.HangUp(); };
    const Command answerCall = [](CModem& m) { return m.Answer(); };
    const Command reject = [](CModem& m) { return m.Reject(); };
    const struct {
        const char* name;
        Command command;
        std::string answer;
        std::int32_t result;
        bool atOnce;
        std::vector<std::int32_t> events;
    } rows[] = {
        {"dial accepted", dial, "\r\nOK\r\n", 1, true, {}},
        {"dial accepted with Huawei reports", dial, "\r\nOK\r\n\r\n^ORIG: 1,0\r\n", 1, true, {}},
        {"dial connected at once", dial, "\r\nCONNECT\r\n", 1, true, {}},
        {"dial refused", dial, "\r\nERROR\r\n", 0, true, {}},
        {"dial refused with a number", dial, "\r\n+CME ERROR: 30\r\n", 0, true, {}},
        {"dial busy as its own result", dial, "\r\nBUSY\r\n", 0, true, {}},
        {"dial busy in the OK's burst", dial, "\r\nOK\r\n\r\nBUSY\r\n", 1, true, {EVT_BUSY}},
        {"Huawei dial busy in the burst", dial,
         "\r\nOK\r\n\r\n^ORIG: 1,0\r\n\r\n^CEND: 1,0,104,17\r\n", 1, true, {EVT_BUSY}},
        {"dial taken, still placing (its echo only)", dial, "ATD1;\r", 1, false, {}},
        {"dial with nothing at all", dial, "", 0, false, {}},
        {"hang-up", hangUp, "\r\nOK\r\n", 1, true, {}},
        {"hang-up, the end said after the OK", hangUp, "\r\nOK\r\n\r\n^CEND: 1,9,104,16\r\n", 1,
         true, {EVT_NO_CARRIER}},
        {"hang-up aborts a dial (ZTE)", hangUp, "\r\nNO CARRIER\r\n", 1, true, {}},
        {"hang-up, the end said before the OK", hangUp, "\r\nHANGUP: 1\r\n\r\nOK\r\n", 1, true,
         {}},
        {"hang-up refused", hangUp, "\r\nNO CARRIER\r\n\r\nERROR\r\n", 0, true, {}},
        {"hang-up unanswered", hangUp, "", 0, false, {}},
        {"end of an answered call", reject, "\r\nVOICE CALL: END: 000012\r\n\r\nOK\r\n", 1, true,
         {}},
        {"answer, then the call drops", answerCall, "\r\nOK\r\n\r\nNO CARRIER\r\n", 1, true,
         {EVT_NO_CARRIER}},
        {"answer with nothing ringing", answerCall, "\r\nNO CARRIER\r\n", 0, true, {}},
    };
    std::string answer;
    std::mutex lock;
    FakeSystem system;
    ScriptedDevice modem(system.backend, [&](const std::string& line) {
        std::lock_guard<std::mutex> held(lock);
        if (line.rfind("AT+C", 0) == 0 && line != "AT+CHUP") {
            return Say("\r\nOK\r\n");  // the set-up
        }
        return answer.empty() ? Reply{} : Say(answer);
    });
    ChannelEvents events;
    CModem channel{DorrinSetupCommands()};
    {
        std::lock_guard<std::mutex> held(lock);
        answer = "\r\nOK\r\n";
    }
    ASSERT_EQ(channel.Start(u"COM1:", 115200, &events), 1);
    channel.m_pfnEvent = &ChannelEvents::OnEvent;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        {
            std::lock_guard<std::mutex> held(lock);
            answer = row.answer;
        }
        const platform::TimePoint start = system.backend.Now();
        EXPECT_EQ(row.command(channel), row.result);
        EXPECT_EQ(system.backend.MsSince(start), row.atOnce ? 0 : 500);
        EXPECT_FALSE(channel.IsCollecting());
        std::vector<std::int32_t> codes;
        for (const ChannelEvent& event : events.Take()) {
            codes.push_back(event.code);
        }
        EXPECT_EQ(codes, row.events);
    }
}

class DialerOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        modemsim::SimulatorOptions options;
        options.ringPeriodMs = kRingPeriodMs;
        options.networkDelayMs = 50;
        m_simulator = modemsim::Simulator::Create(options);
        ASSERT_TRUE(m_simulator);
        m_modem = std::make_unique<CModem>(DorrinSetupCommands());
        ASSERT_EQ(
            m_modem->Start(platform::Utf8ToUtf16(m_simulator->DevicePath()), 115200, &m_events), 1);
        m_modem->m_pfnEvent = &ChannelEvents::OnEvent;
        ASSERT_TRUE(m_simulator->Snapshot().settings.clip);
    }
    void TearDown() override { EXPECT_TRUE(m_messages.texts.empty()); }
    modemsim::Call Call() { return m_simulator->Snapshot().call; }

    RecordedMessages m_messages;
    ChannelEvents m_events;
    std::unique_ptr<modemsim::Simulator> m_simulator;
    std::unique_ptr<CModem> m_modem;  // after the simulator: closes its device first
};

// A modem that says nothing at all: the command fails once 500 ms have passed without a word.
TEST_F(DialerOnSimulator, ACommandTheModemIgnoresFailsAfterTheSilence) {
    m_simulator->SetSilent(true);
    Stopwatch watch;
    EXPECT_EQ(m_modem->Answer(), 0);
    EXPECT_GE(watch.ElapsedMs(), 450);
    EXPECT_LE(watch.ElapsedMs(), 1200);
    EXPECT_TRUE(m_events.Take().empty());
}

}  // namespace
