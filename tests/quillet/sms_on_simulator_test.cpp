// The SMS commands end to end against the simulated modem on a pseudo-terminal, after the message
// program's start-up.

#include <gtest/gtest.h>

#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "quillet/modem_setup.h"
#include "recorded_messages.h"
#include "stopwatch.h"

namespace {

class SmsOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        modemsim::SimulatorOptions options;
        options.networkDelayMs = 50;
        m_simulator = modemsim::Simulator::Create(options);
        ASSERT_TRUE(m_simulator);
        ASSERT_EQ(m_channel.Start(platform::Utf8ToUtf16(m_simulator->DevicePath()), 115200, this),
                  1);
    }
    void TearDown() override { EXPECT_TRUE(m_messages.texts.empty()); }

    RecordedMessages m_messages;
    std::unique_ptr<modemsim::Simulator> m_simulator;
    CModem m_channel{QuilletSetupCommands()};
};

TEST_F(SmsOnSimulator, SentTextsReachTheOutboxByteForByte) {
    const char* texts[] = {"Line one\r\nLine two", "+CMGS: 5", "x\r\nERROR", ""};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(m_channel.SendSms(u"+8613912345678", platform::Utf8ToUtf16(text)), 1);
        EXPECT_FALSE(m_channel.IsCollecting());
        const modemsim::ModemState state = m_simulator->Snapshot();
        ASSERT_FALSE(state.outbox.empty());
        EXPECT_EQ(state.outbox.back().destination, "+8613912345678");
        // The modem keeps the CR LF that ends the text, as real modules do.
        EXPECT_EQ(state.outbox.back().text, std::string(text) + "\r\n");
    }
    EXPECT_EQ(m_simulator->Snapshot().outbox.size(), std::size(texts));
}

TEST_F(SmsOnSimulator, RefusedSendFailsWithoutWaitingOutTheLimit) {
    m_simulator->SetSendError(500);
    Stopwatch watch;
    EXPECT_EQ(m_channel.SendSms(u"+8613912345678", u"Hello"), 0);
    EXPECT_LT(watch.ElapsedMs(), 2000);
    EXPECT_TRUE(m_simulator->Snapshot().outbox.empty());
    m_simulator->SetSendError(std::nullopt);
    EXPECT_EQ(m_channel.SendSms(u"+8613912345678", u"Hello"), 1);
}

TEST_F(SmsOnSimulator, DeliveredMessageIsReadAndDeleted) {
    modemsim::SmsDelivery sms;
    sms.sender = "+8613912345678";
    sms.text = "Pay?\r\n\r\nOK\r\nthanks ERROR";
    sms.slot = 1;
    ASSERT_TRUE(m_simulator->DeliverSms(sms).ok);
    // Shown as unread the first time, which marks it read. The plain final-code rule ends this
    // raw command at once (on the ERROR in the text, which wins over OK).
    m_channel.SendLine(u"AT+CMGR=1");
    m_channel.WaitResult();
    std::u16string number;
    std::u16string text;
    ASSERT_EQ(m_channel.ReadSms(1, number, text), 1);
    EXPECT_EQ(number, u"+8613912345678");
    EXPECT_EQ(platform::Utf16ToUtf8(text), "Pay?\r\n\r\nOK\r\nthanks ERROR");

    EXPECT_EQ(m_channel.DeleteSms(1), 1);
    EXPECT_EQ(m_simulator->Snapshot().storage.Find(1), nullptr);
    EXPECT_FALSE(m_channel.IsCollecting());
}

TEST_F(SmsOnSimulator, StartUpAndCentreSetTheModemForMessages) {
    const modemsim::Settings settings = m_simulator->Snapshot().settings;
    EXPECT_TRUE(settings.textMode);
    EXPECT_TRUE(settings.clip);
    EXPECT_EQ(settings.cregMode, 1);
    EXPECT_EQ(settings.charset, modemsim::Charset::kGsm);
    EXPECT_EQ(settings.baudRate, 115200);
    EXPECT_EQ(m_channel.SetSmsCentre(u"AT+CSCA=\"+8613800100500\""), 1);
    EXPECT_EQ(m_simulator->Snapshot().settings.scaNumber, "+8613800100500");
    EXPECT_EQ(m_simulator->Snapshot().settings.scaType, 145);
}

}  // namespace
