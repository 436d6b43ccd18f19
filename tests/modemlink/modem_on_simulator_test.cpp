// The modem link end to end against the simulated modem on a real pseudo-terminal: both
// programs' start-ups, reading a message through the channel, and ring / line-drop events.

#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>

#include "dorrin/modem_setup.h"
#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "platform/core/message_box.h"
#include "quillet/modem_setup.h"
#include "recorded_messages.h"
#include "stopwatch.h"

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
    std::u16string Device() const { return platform::Utf8ToUtf16(m_simulator->DevicePath()); }

    // Waits, like a command of the programs does, until the answer holds its final code.
    std::u16string CollectAnswer(CModem& channel, const std::u16string& line) {
        channel.SendLine(line);
        Stopwatch watch;
        std::u16string response;
        while (watch.ElapsedMs() < 3000) {
            response = channel.Response();
            if (DecideFinalResult(response) != FinalResult::kNone) {
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(channel.WaitResult(), 1);
        return response;
    }

    RecordedMessages m_messages;
    std::unique_ptr<modemsim::Simulator> m_simulator;
};

TEST_F(LinkOnSimulator, MessageProgramStartUpLeavesTheModemInTextModeWithCallerId) {
    CModem channel{QuilletSetupCommands()};
    Stopwatch watch;
    ASSERT_EQ(channel.Start(Device(), 115200, this), 1);
    EXPECT_LT(watch.ElapsedMs(), 2000);
    const modemsim::ModemState state = m_simulator->Snapshot();
    EXPECT_TRUE(state.settings.textMode);
    EXPECT_TRUE(state.settings.clip);
    EXPECT_EQ(state.settings.cregMode, 1);
    EXPECT_EQ(state.settings.charset, modemsim::Charset::kGsm);
    EXPECT_EQ(state.settings.baudRate, 115200);
    EXPECT_TRUE(m_messages.texts.empty());
}

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

TEST_F(LinkOnSimulator, StartUpFailsOnASilentModemAndRecoversOnANewChannel) {
    m_simulator->SetSilent(true);
    {
        CModem channel{DorrinSetupCommands()};
        EXPECT_EQ(channel.Start(Device(), 115200, this), 0);
    }
    m_simulator->SetSilent(false);
    CModem channel{DorrinSetupCommands()};
    EXPECT_EQ(channel.Start(Device(), 115200, this), 1);
    EXPECT_TRUE(m_messages.texts.empty());
}

TEST_F(LinkOnSimulator, ReadsAStoredMessageThroughTheChannel) {
    CModem channel{QuilletSetupCommands()};
    ASSERT_EQ(channel.Start(Device(), 115200, this), 1);
    modemsim::SmsDelivery sms;
    sms.sender = "+8613912345678";
    sms.text = "Meet at 10";
    sms.slot = 1;
    sms.timestamp = "26/12/06,21:30:00+32";
    ASSERT_TRUE(m_simulator->DeliverSms(sms).ok);

    const std::u16string first = CollectAnswer(channel, u"AT+CMGR=1");
    EXPECT_NE(first.find(u"+CMGR: \"REC UNREAD\",\"+8613912345678\",,\"26/12/06,21:30:00+32\"\r\n"
                         u"Meet at 10\r\n\r\nOK\r\n"),
              std::u16string::npos)
        << platform::Utf16ToUtf8(first);
    const std::u16string second = CollectAnswer(channel, u"AT+CMGR=1");
    EXPECT_NE(second.find(u"+CMGR: \"REC READ\",\"+8613912345678\""), std::u16string::npos);

    CollectAnswer(channel, u"AT+CMGD=1");
    const std::u16string empty = CollectAnswer(channel, u"AT+CMGR=1");
    EXPECT_EQ(empty.find(u"+CMGR:"), std::u16string::npos);
}

struct Events {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::pair<std::int32_t, std::u16string>> seen;
    static void OnEvent(void* owner, std::int32_t code, std::u16string text) {
        auto* self = static_cast<Events*>(owner);
        std::lock_guard<std::mutex> guard(self->lock);
        self->seen.emplace_back(code, std::move(text));
        self->arrived.notify_all();
    }
    bool WaitFor(std::size_t count) {
        std::unique_lock<std::mutex> guard(lock);
        return arrived.wait_for(guard, 3s, [&] { return seen.size() >= count; });
    }
};

TEST_F(LinkOnSimulator, RingsCarryTheCallerAndALineDropFollows) {
    Events events;
    CModem channel{DorrinSetupCommands()};
    ASSERT_EQ(channel.Start(Device(), 115200, &events), 1);
    channel.m_pfnEvent = &Events::OnEvent;

    ASSERT_TRUE(m_simulator->Ring(std::string("+8613912345678")).ok);
    ASSERT_TRUE(events.WaitFor(2));  // two rings, 300 ms apart
    ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
    ASSERT_TRUE(events.WaitFor(3));
    std::lock_guard<std::mutex> guard(events.lock);
    EXPECT_EQ(events.seen[0], std::make_pair(EVT_RING, std::u16string(u"+8613912345678")));
    EXPECT_EQ(events.seen[1], std::make_pair(EVT_RING, std::u16string(u"+8613912345678")));
    EXPECT_EQ(events.seen.back(), std::make_pair(EVT_NO_CARRIER, std::u16string()));
}

TEST_F(LinkOnSimulator, WithheldCallerRingsWithAnEmptyNumber) {
    Events events;
    CModem channel{DorrinSetupCommands()};
    ASSERT_EQ(channel.Start(Device(), 115200, &events), 1);
    channel.m_pfnEvent = &Events::OnEvent;
    ASSERT_TRUE(m_simulator->Ring(std::nullopt).ok);
    ASSERT_TRUE(events.WaitFor(1));
    std::lock_guard<std::mutex> guard(events.lock);
    EXPECT_EQ(events.seen[0], std::make_pair(EVT_RING, std::u16string()));
}

TEST_F(LinkOnSimulator, AnsweringAndEndingACallThroughTheChannel) {
    CModem channel{DorrinSetupCommands()};
    ASSERT_EQ(channel.Start(Device(), 115200, this), 1);
    ASSERT_TRUE(m_simulator->Ring(std::string("10086")).ok);
    CollectAnswer(channel, u"ATA");
    EXPECT_EQ(m_simulator->Snapshot().call.phase, modemsim::CallPhase::kActive);
    CollectAnswer(channel, u"ATH");
    EXPECT_EQ(m_simulator->Snapshot().call.phase, modemsim::CallPhase::kIdle);
}

}  // namespace
