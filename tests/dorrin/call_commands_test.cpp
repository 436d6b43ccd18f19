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

// How a dial is decided on each module family: at once on its own result, after the silence when
// the module took the line and is still placing the call (1) or said nothing at all (0).
TEST(CallCommands, DialDecidesOnEveryFamilysAnswer) {
    const struct {
        const char* name;
        std::string answer;
        std::int32_t result;
        bool atOnce;
    } rows[] = {
        {"accepted", "\r\nOK\r\n", 1, true},
        {"accepted with Huawei reports", "\r\nOK\r\n\r\n^ORIG: 1,0\r\n", 1, true},
        {"connected at once", "\r\nCONNECT\r\n", 1, true},
        {"refused", "\r\nERROR\r\n", 0, true},
        {"refused with a number", "\r\n+CME ERROR: 30\r\n", 0, true},
        {"busy as its own result", "\r\nBUSY\r\n", 0, true},
        {"taken, still placing (its echo only)", "ATD1;\r", 1, false},
        {"nothing at all", "", 0, false},
    };
    std::string answer;
    std::mutex lock;
    FakeSystem system;
    ScriptedDevice modem(system.backend, [&](const std::string& line) {
        std::lock_guard<std::mutex> held(lock);
        if (line != "ATD1;") {
            return Say("\r\nOK\r\n");
        }
        return answer.empty() ? Reply{} : Say(answer);
    });
    CModem channel{DorrinSetupCommands()};
    ASSERT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        {
            std::lock_guard<std::mutex> held(lock);
            answer = row.answer;
        }
        const platform::TimePoint start = system.backend.Now();
        EXPECT_EQ(channel.Dial(u"1"), row.result);
        EXPECT_EQ(system.backend.MsSince(start), row.atOnce ? 0 : 500);
        EXPECT_FALSE(channel.IsCollecting());
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

// Nothing rings: the modem says NO CARRIER, which is no final code, so the silence decides, and
// the NO CARRIER belonged to the command: it is no dropped line.
TEST_F(DialerOnSimulator, AnswerWithNothingRingingFailsAfterTheSilence) {
    Stopwatch watch;
    EXPECT_EQ(m_modem->Answer(), 0);
    EXPECT_GE(watch.ElapsedMs(), 450);
    EXPECT_LE(watch.ElapsedMs(), 1200);
    EXPECT_TRUE(m_events.Take().empty());
}

}  // namespace
