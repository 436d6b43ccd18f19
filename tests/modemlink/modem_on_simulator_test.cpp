// The modem link end to end against the simulated modem on a real pseudo-terminal: a start-up
// whose answers reach the channel in pieces. Each program's own commands and events end to end
// are in its tests (quillet/, dorrin/).

#include <gtest/gtest.h>

#include "dorrin/modem_setup.h"
#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "recorded_messages.h"

namespace {

TEST(LinkOnSimulator, DialerStartUpSurvivesAnswersSplitAcrossReads) {
    RecordedMessages messages;
    modemsim::SimulatorOptions options;
    options.networkDelayMs = 50;
    const auto simulator = modemsim::Simulator::Create(options);
    ASSERT_TRUE(simulator);
    // Pieces of 3 bytes, 130 ms apart: longer than the read interval, so "OK\r\n" reaches the
    // channel in two chunks.
    ASSERT_TRUE(simulator->SetSplit(3, 130).ok);
    CModem channel{DorrinSetupCommands()};
    ASSERT_EQ(channel.Start(platform::Utf8ToUtf16(simulator->DevicePath()), 115200, nullptr), 1);
    const modemsim::ModemState state = simulator->Snapshot();
    EXPECT_TRUE(state.settings.textMode);
    EXPECT_TRUE(state.settings.clip);
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
