// The dialer's call commands end to end: its channel, started with its own set-up list, against
// the simulated modem on a real pseudo-terminal.

#include <gtest/gtest.h>

#include <thread>

#include "channel_events.h"
#include "dorrin/modem_setup.h"
#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "platform/core/message_box.h"
#include "recorded_messages.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRingPeriodMs = 300;

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

TEST_F(DialerOnSimulator, CallsOutAndTakesACallThatTheOtherSideEnds) {
    EXPECT_EQ(m_modem->Dial(u"+8613912345678"), 1);
    EXPECT_EQ(Call().phase, modemsim::CallPhase::kActive);
    EXPECT_TRUE(Call().outgoing);
    EXPECT_EQ(Call().number, "+8613912345678");

    EXPECT_EQ(m_modem->HangUp(), 1);
    EXPECT_EQ(Call().phase, modemsim::CallPhase::kIdle);

    ASSERT_TRUE(m_simulator->Ring(std::string("10086")).ok);
    ASSERT_TRUE(m_events.WaitFor(1, 3s));
    EXPECT_EQ(m_events.Take().front(), (ChannelEvent{EVT_RING, u"10086"}));

    EXPECT_EQ(m_modem->Answer(), 1);
    EXPECT_EQ(Call().phase, modemsim::CallPhase::kActive);
    EXPECT_FALSE(Call().outgoing);
    // A ring that was on its way while ATA waited belonged to its answer; none follows the OK.
    m_events.Take();

    ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
    ASSERT_TRUE(m_events.WaitFor(1, 3s));
    EXPECT_EQ(m_events.Take(), (std::vector<ChannelEvent>{{EVT_NO_CARRIER, u""}}));
}

TEST_F(DialerOnSimulator, RejectStopsTheRinging) {
    ASSERT_TRUE(m_simulator->Ring(std::nullopt).ok);
    ASSERT_TRUE(m_events.WaitFor(1, 3s));
    EXPECT_EQ(m_events.Take().front(), (ChannelEvent{EVT_RING, u""}));

    EXPECT_EQ(m_modem->Reject(), 1);
    EXPECT_EQ(Call().phase, modemsim::CallPhase::kIdle);
    m_events.Take();
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * kRingPeriodMs + 100));
    EXPECT_TRUE(m_events.Take().empty());
}

TEST_F(DialerOnSimulator, RefusedCommandsFailAndLeaveTheCallAsItWas) {
    // Nothing rings: the modem says NO CARRIER, which is no final code, so the silence decides.
    Stopwatch watch;
    EXPECT_EQ(m_modem->Answer(), 0);
    const long long elapsed = watch.ElapsedMs();
    EXPECT_GE(elapsed, 450);
    EXPECT_LE(elapsed, 1200);
    EXPECT_TRUE(m_events.Take().empty()) << "the ATA's NO CARRIER is no dropped line";

    EXPECT_EQ(m_modem->Dial(u"10086"), 1);
    watch = Stopwatch();
    EXPECT_EQ(m_modem->Dial(u"10010"), 0);  // one call at a time: ERROR
    EXPECT_LT(watch.ElapsedMs(), 400);
    EXPECT_EQ(Call().number, "10086");

    EXPECT_EQ(m_modem->HangUp(), 1);
    EXPECT_EQ(Call().phase, modemsim::CallPhase::kIdle);
}

}  // namespace
