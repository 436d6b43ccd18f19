// The channel when the modem is pulled off the line under it: the device is hung up, every read
// fails at once. The reader must rest instead of spinning, and every command must fail (0) by
// its own time-out, without a message and without crashing.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "platform/core/message_box.h"
#include "process_figures.h"
#include "quillet/modem_setup.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

// A read waits 2 s for silence, a plain command 500 ms; the answer of a command that is still
// on its way arrives 100 ms after its last byte.
constexpr long long kSlackMs = 400;

class UnplugLink : public ::testing::Test {
protected:
    void SetUp() override {
        m_simulator = modemsim::Simulator::Create();
        ASSERT_TRUE(m_simulator);
        // Both programs' commands run on one channel: the message program's set-up is the
        // larger one and includes the dialer's.
        m_channel = std::make_unique<CModem>(QuilletSetupCommands());
        ASSERT_EQ(
            m_channel->Start(platform::Utf8ToUtf16(m_simulator->DevicePath()), 115200, nullptr), 1);
    }

    // The channel goes the way a closing window takes it: port closed, reader thread joined.
    void ExpectPromptEnd() {
        const Stopwatch watch;
        m_channel.reset();
        EXPECT_LT(watch.ElapsedMs(), 1000);
        EXPECT_TRUE(m_messages.empty());
    }

    std::vector<std::u16string> m_messages;
    platform::ScopedMessageSink m_sink{
        [this](const std::u16string& text) { m_messages.push_back(text); }};
    std::unique_ptr<modemsim::Simulator> m_simulator;
    std::unique_ptr<CModem> m_channel;
};

TEST_F(UnplugLink, ReaderRestsInsteadOfSpinning) {
    m_simulator->Unplug();
    std::this_thread::sleep_for(100ms);
    const double before = ProcessCpuMs();
    const Stopwatch watch;
    std::this_thread::sleep_for(2s);
    const double usedMs = ProcessCpuMs() - before;
    // Below 1 % of one core, for all threads of the process together.
    EXPECT_LT(usedMs, 0.01 * static_cast<double>(watch.ElapsedMs())) << usedMs << " ms of CPU";
    ExpectPromptEnd();
}

TEST_F(UnplugLink, EveryCommandFailsWithinItsTimeOut) {
    const struct {
        const char* name;
        std::function<std::int32_t(CModem&)> run;
        long long timeoutMs;
    } rows[] = {
        {"ReadSms",
         [](CModem& c) {
             std::u16string number = u"kept";
             std::u16string text = u"kept";
             const std::int32_t result = c.ReadSms(1, number, text);
             return number == u"kept" && text == u"kept" ? result : 9;
         },
         2000},
        {"SendSms", [](CModem& c) { return c.SendSms(u"+8613912345678", u"hello"); }, 2000},
        {"DeleteSms", [](CModem& c) { return c.DeleteSms(1); }, 500},
        {"SetSmsCentre", [](CModem& c) { return c.SetSmsCentre(u"+8613800200500"); }, 500},
        {"Dial", [](CModem& c) { return c.Dial(u"13912345678"); }, 500},
        {"HangUp", [](CModem& c) { return c.HangUp(); }, 500},
        {"Answer", [](CModem& c) { return c.Answer(); }, 500},
        {"Reject", [](CModem& c) { return c.Reject(); }, 500},
    };
    m_simulator->Unplug();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Stopwatch watch;
        EXPECT_EQ(row.run(*m_channel), 0);
        EXPECT_GE(watch.ElapsedMs(), row.timeoutMs - 50);
        EXPECT_LT(watch.ElapsedMs(), row.timeoutMs + kSlackMs);
        EXPECT_FALSE(m_channel->IsCollecting());
        EXPECT_TRUE(m_channel->Response().empty());
    }
    ExpectPromptEnd();
}

TEST_F(UnplugLink, ReadWaitingWhenTheModemGoesFailsAtItsTimeOut) {
    modemsim::SmsDelivery sms;
    sms.sender = "+8613912345678";
    sms.text = "read me slowly";
    sms.slot = 1;
    ASSERT_TRUE(m_simulator->DeliverSms(sms).ok);
    m_channel->SendLine(u"AT+CMGR=1");  // now "REC READ": a whole answer would give 1
    m_channel->WaitResult();
    // The answer trickles in over about 2.5 s; the modem is pulled out half-way through.
    ASSERT_TRUE(m_simulator->SetSplit(4, 130).ok);
    bool answerBegun = false;
    std::thread puller([&] {
        std::this_thread::sleep_for(1s);
        answerBegun = !m_channel->Response().empty();
        m_simulator->Unplug();
    });
    const Stopwatch watch;
    std::u16string number;
    std::u16string text;
    EXPECT_EQ(m_channel->ReadSms(1, number, text), 0);
    const long long took = watch.ElapsedMs();
    puller.join();
    EXPECT_TRUE(answerBegun);
    EXPECT_TRUE(number.empty() && text.empty());
    // The last piece came at most one gap before the pull; then 2 s of silence.
    EXPECT_GE(took, 1000 + 2000 - 150);
    EXPECT_LT(took, 1000 + 2000 + kSlackMs);
    ExpectPromptEnd();
}

}  // namespace
