// Message storage and sending over a real pseudo-terminal: status change on reading, the prompt
// flow with and without echo, cancelling, injected failures and the network's delay.

#include "simulator_fixture.h"

namespace {

using namespace std::chrono_literals;
using SmsTest = SimulatorTest;

constexpr const char* kStamp = "24/05/01,12:30:00+00";

void Deliver(modemsim::Simulator& simulator, const std::string& sender, const std::string& text,
             std::optional<int> slot = std::nullopt) {
    modemsim::SmsDelivery delivery;
    delivery.sender = sender;
    delivery.text = text;
    delivery.slot = slot;
    delivery.timestamp = kStamp;
    ASSERT_TRUE(simulator.DeliverSms(delivery).ok);
}

TEST_F(SmsTest, ReadingMarksUnreadAsReadAndDeleteEmpties) {
    Deliver(*m_simulator, "+393351391306", "ciao");
    Deliver(*m_simulator, "Operator", "Hi", 20);
    EchoOff();
    RunSteps({
        {"AT+CMGR=1\r\n", "\r\n+CMS ERROR: 303\r\n"},  // PDU mode first
        {"AT+CMGF=1\r\n", "\r\nOK\r\n"},
        {"AT+CMGR=1\r\n",
         "\r\n+CMGR: \"REC UNREAD\",\"+393351391306\",,\"24/05/01,12:30:00+00\"\r\nciao\r\n"
         "\r\nOK\r\n"},
        {"AT+CMGR=1\r\n",
         "\r\n+CMGR: \"REC READ\",\"+393351391306\",,\"24/05/01,12:30:00+00\"\r\nciao\r\n"
         "\r\nOK\r\n"},
        {"AT+CSCS=\"UCS2\";+CMGR=20\r\n",
         "\r\n+CMGR: \"REC UNREAD\",\"004F00700065007200610074006F0072\",,"
         "\"24/05/01,12:30:00+00\"\r\n00480069\r\n\r\nOK\r\n"},
        {"AT+CMGR=2\r\n", "\r\nOK\r\n"},
        {"AT+CMGR=0\r\n", "\r\n+CMS ERROR: 321\r\n"},
        {"AT+CMGR=21\r\n", "\r\n+CMS ERROR: 321\r\n"},
        {"AT+CMGR=x\r\n", "\r\n+CMS ERROR: 321\r\n"},
        {"AT+CMGD=1\r\n", "\r\nOK\r\n"},
        {"AT+CMGD=1\r\n", "\r\nOK\r\n"},
        {"AT+CMGD=21\r\n", "\r\n+CMS ERROR: 321\r\n"},
        {"AT+CMGR=1\r\n", "\r\nOK\r\n"},
    });
    m_simulator->SetEmptyReadError(true);
    RunSteps({{"AT+CMGR=1\r\n", "\r\n+CMS ERROR: 321\r\n"}, {"AT+CMGD=1,4\r\n", "\r\nOK\r\n"}});
    EXPECT_TRUE(m_simulator->Snapshot().storage.Occupied().empty());
}

TEST_F(SmsTest, PromptFlowWithEchoKeepsTheTextAsTyped) {
    RunSteps({
        {"AT+CMGF=1\r\n", "AT+CMGF=1\r\r\nOK\r\n"},
        {"AT+CMGS=\"+39555\"\r\n", "AT+CMGS=\"+39555\"\r\r\n> "},
        {"line one\rline two\r\n\x1A", "line one\rline two\r\n\r\n+CMGS: 1\r\n\r\nOK\r\n"},
    });
    const auto outbox = m_simulator->Snapshot().outbox;
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0].destination, "+39555");
    EXPECT_EQ(outbox[0].text, "line one\rline two\r\n");
}

TEST_F(SmsTest, PromptFlowWithoutEchoAndCancel) {
    EchoOff();
    RunSteps({
        {"AT+CMGS=0\r\n", "\r\n+CMS ERROR: 304\r\n"},  // PDU mode: a length in octets
        {"AT+CMGS=3\r\n", "\r\n> "},
        {"0011AB\x1A", "\r\n+CMGS: 1\r\n\r\nOK\r\n"},
        {"AT+CMGF=1\r\n", "\r\nOK\r\n"},
        {"AT+CMGS=\"123\"\r\n", "\r\n> "},
        {"never sent\x1B", "\r\nOK\r\n"},
        {"AT+CMGS=\"123\"\r\n", "\r\n> "},
        {"hello\r\n\x1A", "\r\n+CMGS: 2\r\n\r\nOK\r\n"},
        {"AT+CMGS=\"123\"\r\n", "\r\n> "},
        {"again\x1A", "\r\n+CMGS: 3\r\n\r\nOK\r\n"},
        {"AT+CMGS=\"\"\r\n", "\r\n+CMS ERROR: 305\r\n"},
        {"AT+CMGS=123\r\n", "\r\n+CMS ERROR: 305\r\n"},
        {"AT+CMGS\r\n", "\r\nERROR\r\n"},
    });
    const auto outbox = m_simulator->Snapshot().outbox;
    ASSERT_EQ(outbox.size(), 3u);
    EXPECT_TRUE(outbox[0].pdu);
    EXPECT_EQ(outbox[0].text, "0011AB");
    EXPECT_EQ(outbox[1].text, "hello\r\n");
    EXPECT_EQ(outbox[2].reference, 3);
}

TEST_F(SmsTest, ResultWaitsForTheNetworkAndFailuresAreInjected) {
    EchoOff();
    RunSteps({{"AT+CMGF=1\r\n", "\r\nOK\r\n"}, {"AT+CMGS=\"1\"\r", "\r\n> "}});
    const auto sent = ModemClient::Clock::now();
    const std::string result = m_client->Exchange("x\x1A", "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    const long long elapsed = ElapsedMs(sent);
    EXPECT_EQ(result, "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    EXPECT_GE(elapsed, kNetworkDelayMs - 10);
    EXPECT_LT(elapsed, kNetworkDelayMs + 400);

    m_simulator->SetSendError(500);
    RunSteps({{"AT+CMGS=\"1\"\r", "\r\n> "}, {"y\x1A", "\r\n+CMS ERROR: 500\r\n"}});
    m_simulator->SetSendError(std::nullopt);
    RunSteps({{"AT+CMGS=\"1\"\r", "\r\n> "}, {"z\x1A", "\r\n+CMGS: 2\r\n\r\nOK\r\n"}});
    EXPECT_EQ(m_simulator->Snapshot().outbox.size(), 2u);
}

TEST_F(SmsTest, OverlongTextIsRefusedAndUcs2IsDecoded) {
    EchoOff();
    const std::string flood = std::string(3000, 'w') + "\x1A";
    RunSteps({
        {"AT+CMGF=1\r\n", "\r\nOK\r\n"},
        {"AT+CMGS=\"1\"\r", "\r\n> "},
        {flood.c_str(), "\r\n+CMS ERROR: 305\r\n"},
        {"AT+CSCS=\"UCS2\"\r\n", "\r\nOK\r\n"},
        {"AT+CMGS=\"002B0031\"\r", "\r\n> "},
        {"00680069\r\n\x1A", "\r\n+CMGS: 1\r\n\r\nOK\r\n"},
        {"AT+CMGS=\"002B0031\"\r", "\r\n> "},
        {"0068006\x1A", "\r\n+CMS ERROR: 305\r\n"},
    });
    const auto outbox = m_simulator->Snapshot().outbox;
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0].destination, "+1");
    EXPECT_EQ(outbox[0].text, "hi");
}

}  // namespace
