// The modem link end to end against the simulated modem on a real pseudo-terminal: the dialer's
// start-up and its ring / line-drop events (the message program's start-up: quillet's tests).

#include <gtest/gtest.h>

#include "channel_events.h"
#include "dorrin/modem_setup.h"
#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "recorded_messages.h"

namespace {

using namespace std::chrono_literals;

class LinkOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        modemsim::SimulatorOptions options;
        options.ringPeriodMs = 300;
        options.networkDelayMs = 50;
        m_simulator = modemsim::Simulator::Create(options);
        ASSERT_TRUE(m_simulator);
    }
    void TearDown() override { EXPECT_TRUE(m_messages.texts.empty()); }
    std::u16string Device() const { return platform::Utf8ToUtf16(m_simulator->DevicePath()); }

    RecordedMessages m_messages;
    std::unique_ptr<modemsim::Simulator> m_simulator;
};

TEST_F(LinkOnSimulator, DialerStartUpSurvivesAnswersSplitAcrossReads) {
    // Pieces of 3 bytes, 130 ms apart: longer than the read interval, so "OK\r\n" reaches the
    // channel in two chunks.
    ASSERT_TRUE(m_simulator->SetSplit(3, 130).ok);
    CModem channel{DorrinSetupCommands()};
    ASSERT_EQ(channel.Start(Device(), 115200, this), 1);
    const modemsim::ModemState state = m_simulator->Snapshot();
    EXPECT_TRUE(state.settings.textMode);
    EXPECT_TRUE(state.settings.clip);
}

TEST_F(LinkOnSimulator, RingsCarryTheCallerAndALineDropFollows) {
    ChannelEvents events;
    CModem channel{DorrinSetupCommands()};
    ASSERT_EQ(channel.Start(Device(), 115200, &events), 1);
    channel.m_pfnEvent = &ChannelEvents::OnEvent;

    ASSERT_TRUE(m_simulator->Ring(std::string("+8613912345678")).ok);
    ASSERT_TRUE(events.WaitFor(2, 3s));  // two rings, 300 ms apart
    ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
    ASSERT_TRUE(events.WaitFor(3, 3s));
    const std::vector<ChannelEvent> seen = events.Take();
    EXPECT_EQ(seen[0], (ChannelEvent{EVT_RING, u"+8613912345678"}));
    EXPECT_EQ(seen[1], (ChannelEvent{EVT_RING, u"+8613912345678"}));
    EXPECT_EQ(seen.back(), (ChannelEvent{EVT_NO_CARRIER, u""}));
}

}  // namespace
