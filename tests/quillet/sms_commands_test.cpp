// The SMS commands against the scripted modem, which echoes as a modem does: the lines written,
// how long each command waits, and that the channel is idle again afterwards. Which answer text
// decides is read_answer's and send_answer's; here only that the commands use those decisions.
// Then the commands end to end against the simulated modem, after the program's start-up.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "quillet/modem_setup.h"
#include "recorded_messages.h"
#include "scripted_modem.h"
#include "stopwatch.h"
#include "trace_recorder.h"

namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kPrompt = "\r\n> ";
const std::string kSent = "\r\n+CMGS: 12\r\n\r\nOK\r\n";
const std::string kHeader = "\r\n+CMGR: \"REC READ\",\"555\",,\"26/12/06,21:30:00+32\"\r\n";
const std::u16string kUntouched = u"untouched";
// An answer at hand decides within a read interval or two of the port.
constexpr long long kAtOnceMs = 600;

class SmsCommands : public ::testing::Test {
protected:
    void SetUp() override {
        Answer({{"AT", Say(kOk)}, {"AT+IPR=115200", Say(kOk)}});
        ASSERT_EQ(m_modem.Start(m_line.DeviceName(), 115200, nullptr), 1);
        m_linesBefore = m_line.Lines().size();
    }
    void TearDown() override { EXPECT_TRUE(m_messages.texts.empty()); }

    void Answer(std::map<std::string, Reply> replies) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_replies = std::move(replies);
    }
    // The lines written since the last look.
    std::vector<std::string> TakeLines() {
        const std::vector<std::string> lines = m_line.Lines();
        const auto from = lines.begin() + static_cast<std::ptrdiff_t>(m_linesBefore);
        m_linesBefore = lines.size();
        return std::vector<std::string>(from, lines.end());
    }
    void ExpectIdle() {
        EXPECT_FALSE(m_modem.IsCollecting());
        EXPECT_TRUE(m_modem.Response().empty());
    }

    RecordedMessages m_messages;
    std::mutex m_lock;
    std::map<std::string, Reply> m_replies;
    ScriptedModem m_line{[this](const std::string& line) {
                             std::lock_guard<std::mutex> lock(m_lock);
                             const auto reply = m_replies.find(line);
                             return reply == m_replies.end() ? Reply{} : reply->second;
                         },
                         ModemOptions{true, false, true}};
    CModem m_modem{SetupCommands{}};  // after the line: closes its device first
    std::size_t m_linesBefore = 0;
};

// A header, then a NUL every 300 ms for 3 s.
Reply NulStream() {
    Reply reply{{0, kHeader}};
    for (int i = 0; i < 10; ++i) {
        reply.push_back({300, std::string(1, '\0')});
    }
    return reply;
}

TEST_F(SmsCommands, ReadTakesSenderAndTextOrFailsOnErrorOrTwoSecondsOfSilence) {
    const struct {
        const char* name;
        Reply answer;
        std::int32_t result;
        std::u16string number;
        std::u16string text;
        long long minMs;
        long long maxMs;
    } rows[] = {
        {"read message", Say(kHeader + "Meet at 10\r\n\r\nOK\r\n"), 1, u"555", u"Meet at 10", 0,
         kAtOnceMs},
        {"ERROR", Say(kError), 0, kUntouched, kUntouched, 0, kAtOnceMs},
        {"an empty slot's OK", Say(kOk), 0, kUntouched, kUntouched, 0, kAtOnceMs},
        {"a numbered error", Say("\r\n+CMS ERROR: 321\r\n"), 0, kUntouched, kUntouched, 0,
         kAtOnceMs},
        {"unsolicited lines neither decide nor extend",
         {{0, "\r\n+CSQ: 20,99\r\n"},
          {700, "\r\n^RSSI: 17\r\n"},
          {700, "\r\n+CREG: 1\r\n"},
          {700, "\r\n+CSQ: 20,99\r\n"}},
         0,
         kUntouched,
         kUntouched,
         2000,
         2000 + kAtOnceMs},
        {"an unsolicited line before the answer",
         {{0, "\r\n^RSSI: 17\r\n"}, {300, kHeader + "x\r\n\r\nOK\r\n"}},
         1,
         u"555",
         u"x",
         300,
         300 + kAtOnceMs},
        {"each piece restarts the silence",
         {{0, kHeader}, {1500, "x\r\n"}},
         0,
         kUntouched,
         kUntouched,
         1500 + 2000,
         1500 + 2000 + kAtOnceMs},
        // The read keeps NULs (the GSM "@"), but a line sending nothing else holds it no longer.
        {"NULs alone restart no silence", NulStream(), 0, kUntouched, kUntouched, 2000,
         2000 + kAtOnceMs},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Answer({{"AT+CMGR=1", row.answer}});
        std::u16string number = kUntouched;
        std::u16string text = kUntouched;
        Stopwatch watch;
        EXPECT_EQ(m_modem.ReadSms(1, number, text), row.result);
        EXPECT_GE(watch.ElapsedMs(), row.minMs);
        EXPECT_LE(watch.ElapsedMs(), row.maxMs);
        EXPECT_EQ(number, row.number);
        EXPECT_EQ(text, row.text);
        ExpectIdle();
        EXPECT_EQ(TakeLines(), std::vector<std::string>{"AT+CMGR=1"});
    }
}

TEST_F(SmsCommands, StorageUsageTakesTheFirstStoragesCounts) {
    const struct {
        std::string answer;
        std::int32_t result;
        std::int32_t used;
        std::int32_t total;
    } rows[] = {
        {"\r\n+CPMS: \"SM\",3,20,\"SM\",3,20,\"SM\",3,20\r\n" + kOk, 1, 3, 20},
        {"\r\n+CPMS: 0,255,0,255,0,255\r\n" + kOk, 1, 0, 255},
        {"\r\n+CPMS: \"SM\",21,20\r\n" + kOk, 0, -1, -1},
        {"\r\n+CPMS: \"SM\",x,20\r\n" + kOk, 0, -1, -1},
        {"\r\n+CPMS: \"SM\",3,20\r\n" + kError, 0, -1, -1},
    };
    for (const auto& row : rows) {
        Answer({{"AT+CPMS?", Say(row.answer)}});
        std::int32_t used = -1;
        std::int32_t total = -1;
        EXPECT_EQ(m_modem.StorageUsage(used, total), row.result) << row.answer;
        EXPECT_EQ(used, row.used);
        EXPECT_EQ(total, row.total);
        ExpectIdle();
    }
}

TEST_F(SmsCommands, SendDecidesOnThePromptAndOnTheModemsOwnResult) {
    const std::vector<std::string> both = {"AT+CMGS=\"10086\"", "Hello"};
    const struct {
        const char* name;
        Reply prompt;  // the answer to AT+CMGS="10086"
        Reply result;  // the answer to the text, after its echo
        std::int32_t sent;
        std::vector<std::string> lines;
        long long minMs;
    } rows[] = {
        {"sent", Say(kPrompt), Say(kSent), 1, both, 0},
        {"prompt refused", Say(kError), {}, 0, {"AT+CMGS=\"10086\""}, 0},
        {"numbered error", Say(kPrompt), Say("\r\n+CMS ERROR: 500\r\n"), 0, both, 0},
        // Longer than a read's silence: only the overall limit ends a send's wait.
        {"silence on the way", Say(kPrompt), {{2300, kSent}}, 1, both, 2300},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Answer({{"AT+CMGS=\"10086\"", row.prompt}, {"Hello", row.result}});
        Stopwatch watch;
        EXPECT_EQ(m_modem.SendSms(u"10086", u"Hello"), row.sent);
        EXPECT_GE(watch.ElapsedMs(), row.minMs);
        EXPECT_LE(watch.ElapsedMs(), row.minMs + kAtOnceMs);
        ExpectIdle();
        EXPECT_EQ(TakeLines(), row.lines);
    }
}

// The window is frozen meanwhile, so a send that hears nothing but its echo gives up.
TEST_F(SmsCommands, SendGivesUpAtItsOverallLimit) {
    EXPECT_EQ(m_modem.m_sendLimitMs, 60000u);  // the longest answer time of AT+CMGS
    m_modem.m_sendLimitMs = 400;
    Answer({{"AT+CMGS=\"10086\"", Say(kPrompt)}});
    Stopwatch watch;
    EXPECT_EQ(m_modem.SendSms(u"10086", u"Hello"), 0);
    EXPECT_GE(watch.ElapsedMs(), 400);
    EXPECT_LE(watch.ElapsedMs(), 400 + kAtOnceMs);
    ExpectIdle();
}

TEST_F(SmsCommands, DeleteAndCentreWriteTheirLineAndTakeTheFinalResult) {
    const struct {
        std::function<std::int32_t(CModem&)> command;
        std::string line;
        std::string answer;
        std::int32_t result;
    } rows[] = {
        {[](CModem& m) { return m.DeleteSms(3); }, "AT+CMGD=3", kOk, 1},
        {[](CModem& m) { return m.SetSmsCentre(u"+8613800200500"); },
         "AT+CSCA=\"+8613800200500\",145", kError, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        Answer({{row.line, Say(row.answer)}});
        EXPECT_EQ(row.command(m_modem), row.result);
        ExpectIdle();
        EXPECT_EQ(TakeLines(), std::vector<std::string>{row.line});
    }
}

class SmsOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        modemsim::SimulatorOptions options;
        options.networkDelayMs = 50;
        options.traceSink = m_trace.Sink();
        m_simulator = modemsim::Simulator::Create(options);
        ASSERT_TRUE(m_simulator);
        ASSERT_EQ(m_channel.Start(platform::Utf8ToUtf16(m_simulator->DevicePath()), 115200, this),
                  1);
    }
    void TearDown() override { EXPECT_TRUE(m_messages.texts.empty()); }

    RecordedMessages m_messages;
    TraceRecorder m_trace;
    std::unique_ptr<modemsim::Simulator> m_simulator;
    CModem m_channel{QuilletSetupCommands()};
};

// What the recipient reads is exactly the box's text, in whichever alphabet it travelled; a send
// leaves the modem in the GSM alphabet and coding scheme, whatever its outcome.
TEST_F(SmsOnSimulator, SentTextsArriveAsTypedAndTheSetUpStateReturns) {
    const std::u16string gsm160(160, u'@');
    const std::u16string chinese70(70, u'\x4F60');
    const struct {
        std::u16string text;
        std::int32_t sent;
        std::string arrives;  // UTF-8; empty: nothing reached the network
    } rows[] = {
        {u"a@b_c$d", 1, "a@b_c$d"},
        {u"Line one\r\nLine two", 1, "Line one\nLine two"},  // no line break at the end
        {u"\x4F60\x597D", 1, "\xE4\xBD\xA0\xE5\xA5\xBD"},
        {u"{\x20AC}", 1, "{\xE2\x82\xAC}"},  // extension characters go as UCS2
        {gsm160, 1, std::string(160, '@')},
        {gsm160 + u"@", 0, ""},
        {chinese70, 1, platform::Utf16ToUtf8(chinese70)},
        {chinese70 + u"\x4F60", 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(platform::Utf16ToUtf8(row.text));
        const std::size_t before = m_simulator->Snapshot().outbox.size();
        const std::size_t heard = TraceRecorder::Only(m_trace.Now(), '<').size();
        EXPECT_EQ(m_channel.SendSms(u"+8613912345678", row.text), row.sent);
        const modemsim::ModemState state = m_simulator->Snapshot();
        EXPECT_EQ(state.settings.charset, modemsim::Charset::kGsm);
        EXPECT_EQ(state.settings.codingScheme, 0);
        if (row.sent == 0) {
            EXPECT_EQ(state.outbox.size(), before);
            EXPECT_EQ(TraceRecorder::Only(m_trace.Now(), '<').size(), heard);
            continue;
        }
        ASSERT_EQ(state.outbox.size(), before + 1);
        EXPECT_EQ(state.outbox.back().destination, "+8613912345678");
        EXPECT_EQ(state.outbox.back().text, row.arrives);
    }
}

// A refusal by the network ends the send at once, not at its overall limit; a failed UCS2 send
// still leaves the modem in the GSM alphabet for the next one.
TEST_F(SmsOnSimulator, RefusedSendFailsAtOnceAndRestoresTheSetUpState) {
    m_simulator->SetSendError(500);
    Stopwatch watch;
    EXPECT_EQ(m_channel.SendSms(u"10086", u"\x4F60"), 0);
    EXPECT_LT(watch.ElapsedMs(), 2000);
    m_simulator->SetSendError(std::nullopt);
    m_simulator->AddErrorCommand("+CSMP");
    EXPECT_EQ(m_channel.SendSms(u"10086", u"\x4F60"), 0);  // refused before AT+CMGS
    EXPECT_TRUE(m_simulator->Snapshot().outbox.empty());
    m_simulator->ClearErrors();
    EXPECT_EQ(m_channel.SendSms(u"10086", u"plain"), 1);
    EXPECT_EQ(m_simulator->Snapshot().outbox.back().text, "plain");
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
