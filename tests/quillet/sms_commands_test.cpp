// The SMS commands against the scripted modem on virtual time, which echoes as a modem does: the
// lines written, how long each command waits, to the millisecond, and that the channel is idle
// again afterwards. Which answer text decides is read_answer's and send_answer's; here only that
// the commands use those decisions. Then the read's silence and the send's limit once on real
// time, on a pseudo-terminal, and the commands end to end against the simulated modem, after the
// program's start-up.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "fake_system.h"
#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "quillet/modem_setup.h"
#include "quillet/slot_read.h"
#include "recorded_messages.h"
#include "scripted_device.h"
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

class SmsCommands : public ::testing::Test {
protected:
    void SetUp() override {
        Answer({{"AT", Say(kOk)}, {"AT+IPR=115200", Say(kOk)}});
        ASSERT_EQ(m_modem.Start(u"COM1:", 115200, nullptr), 1);
        m_linesBefore = m_line.Lines().size();
    }
    void TearDown() override { EXPECT_TRUE(m_system.backend.Messages().empty()); }

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
    // Runs the command; how long it took on the virtual clock, once every chunk is in.
    long long Timed(const std::function<void()>& command) {
        const platform::TimePoint start = m_system.backend.Now();
        command();
        const long long ms = m_system.backend.MsSince(start);
        m_system.backend.Advance(std::chrono::seconds(5));
        return ms;
    }
    void ExpectIdle() {
        EXPECT_FALSE(m_modem.IsCollecting());
        EXPECT_TRUE(m_modem.Response().empty());
    }

    FakeSystem m_system;
    std::mutex m_lock;
    std::map<std::string, Reply> m_replies;
    ScriptedDevice m_line{m_system.backend,
                          [this](const std::string& line) {
                              std::lock_guard<std::mutex> lock(m_lock);
                              const auto reply = m_replies.find(line);
                              return reply == m_replies.end() ? Reply{} : reply->second;
                          },
                          true};
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
        long long ms;
    } rows[] = {
        {"read message", Say(kHeader + "Meet at 10\r\n\r\nOK\r\n"), 1, u"555", u"Meet at 10", 0},
        {"ERROR", Say(kError), 0, kUntouched, kUntouched, 0},
        {"an empty slot's OK", Say(kOk), 0, kUntouched, kUntouched, 0},
        {"a numbered error", Say("\r\n+CMS ERROR: 321\r\n"), 0, kUntouched, kUntouched, 0},
        {"unsolicited lines neither decide nor extend",
         {{0, "\r\n+CSQ: 20,99\r\n"},
          {700, "\r\n^RSSI: 17\r\n"},
          {700, "\r\n+CREG: 1\r\n"},
          {700, "\r\n+CSQ: 20,99\r\n"}},
         0,
         kUntouched,
         kUntouched,
         2000},
        {"an unsolicited line before the answer",
         {{0, "\r\n^RSSI: 17\r\n"}, {300, kHeader + "x\r\n\r\nOK\r\n"}},
         1,
         u"555",
         u"x",
         300},
        {"each piece restarts the silence",
         {{0, kHeader}, {1500, "x\r\n"}},
         0,
         kUntouched,
         kUntouched,
         1500 + 2000},
        {"the answer ends just within the silence",
         {{0, kHeader}, {1999, "x\r\n"}, {1999, "\r\nOK\r\n"}},
         1,
         u"555",
         u"x",
         3998},
        // The read keeps NULs (the GSM "@"), but a line sending nothing else holds it no longer.
        {"NULs alone restart no silence", NulStream(), 0, kUntouched, kUntouched, 2000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Answer({{"AT+CMGR=1", row.answer}});
        std::u16string number = kUntouched;
        std::u16string text = kUntouched;
        std::int32_t result = -1;
        EXPECT_EQ(Timed([&] { result = m_modem.ReadSms(1, number, text); }), row.ms);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(number, row.number);
        EXPECT_EQ(text, row.text);
        ExpectIdle();
        EXPECT_EQ(TakeLines(), std::vector<std::string>{"AT+CMGR=1"});
    }
}

// Over the answer collected so far, echo included: positions in it, and -1 until a read message
// stands whole in it (which text is one is LocateReadAnswer's).
TEST_F(SmsCommands, ParseReadResponseLocatesAWholeReadMessageInTheAnswer) {
    const struct {
        const char* name;
        std::string answer;
        std::int32_t result;
        std::u16string number;
        std::u16string text;
    } rows[] = {
        {"read message", kHeader + "Meet at 10\r\n\r\nOK\r\n", 1, u"555", u"Meet at 10"},
        {"closing still coming", kHeader + "Meet at 10\r\n\r\nOK\r", -1, u"", u""},
        {"unread message", "\r\n+CMGR: \"REC UNREAD\",\"555\"\r\nx\r\n\r\nOK\r\n", -1, u"", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Answer({{"AT+CMGR=1", Say(row.answer)}});
        m_modem.SendLine(u"AT+CMGR=1");
        m_system.backend.Advance(std::chrono::seconds(1));
        std::int32_t numberStart = 0;
        std::int32_t numberLength = 0;
        std::int32_t bodyStart = 0;
        std::int32_t bodyLength = 0;
        EXPECT_EQ(m_modem.ParseReadResponse(numberStart, numberLength, bodyStart, bodyLength),
                  row.result);
        const std::u16string response = m_modem.Response();
        const auto located = [&](std::int32_t start, std::int32_t length) {
            return row.result != 1 ? std::u16string()
                                   : response.substr(static_cast<std::size_t>(start),
                                                     static_cast<std::size_t>(length));
        };
        EXPECT_EQ(located(numberStart, numberLength), row.number);
        EXPECT_EQ(located(bodyStart, bodyLength), row.text);
        m_modem.ResetResponse();
    }
}

TEST_F(SmsCommands, StorageUsageTakesTheFirstStoragesCounts) {
    const struct {
        Reply answer;
        std::int32_t result;
        std::int32_t used;
        std::int32_t total;
        long long ms;
    } rows[] = {
        {Say("\r\n+CPMS: \"SM\",3,20,\"SM\",3,20,\"SM\",3,20\r\n" + kOk), 1, 3, 20, 0},
        {Say("\r\n+CPMS: 0,255,0,255,0,255\r\n" + kOk), 1, 0, 255, 0},
        {Say("\r\n+CPMS: \"SM\",21,20\r\n" + kOk), 0, -1, -1, 0},
        {Say("\r\n+CPMS: \"SM\",x,20\r\n" + kOk), 0, -1, -1, 0},
        {Say("\r\n+CPMS: \"SM\",3,20\r\n" + kError), 0, -1, -1, 0},
        {{{1900, "\r\n+CPMS: 1,20\r\n"}, {1900, kOk}}, 1, 1, 20, 3800},
        {Say("\r\n+CPMS: 1,20\r\n"), 0, -1, -1, 2000},
    };
    for (const auto& row : rows) {
        Answer({{"AT+CPMS?", row.answer}});
        std::int32_t used = -1;
        std::int32_t total = -1;
        std::int32_t result = -1;
        EXPECT_EQ(Timed([&] { result = m_modem.StorageUsage(used, total); }), row.ms);
        EXPECT_EQ(result, row.result) << row.answer.front().bytes;
        EXPECT_EQ(used, row.used);
        EXPECT_EQ(total, row.total);
        ExpectIdle();
    }
}

TEST_F(SmsCommands, SendDecidesOnThePromptAndOnTheModemsOwnResult) {
    const std::vector<std::string> both = {"AT+CMGS=\"10086\"", "Hello"};
    const std::vector<std::string> cancelled = {"AT+CMGS=\"10086\"", "Hello", "\x1B"};
    const struct {
        const char* name;
        Reply prompt;  // the answer to AT+CMGS="10086"
        Reply result;  // the answer to the text, after its echo
        std::int32_t sent;
        std::vector<std::string> lines;
        long long ms;
        Reply escape{};  // the answer to ESC, which ends a text entry the send gave up
    } rows[] = {
        {"sent", Say(kPrompt), Say(kSent), 1, both, 0},
        {"prompt refused", Say(kError), {}, 0, {"AT+CMGS=\"10086\""}, 0},
        {"no prompt", {}, {}, 0, {"AT+CMGS=\"10086\"", "\x1B"}, 2500},
        {"no prompt, ESC answered", {}, {}, 0, {"AT+CMGS=\"10086\"", "\x1B"}, 2000, Say(kOk)},
        {"numbered error", Say(kPrompt), Say("\r\n+CMS ERROR: 500\r\n"), 0, both, 0},
        // Longer than a read's silence: only the overall limit ends a send's wait.
        {"silence on the way", Say(kPrompt), {{59999, kSent}}, 1, both, 59999},
        // The longest answer time modem manuals give AT+CMGS.
        {"nothing but the echo", Say(kPrompt), {}, 0, cancelled, 60500},
        {"its result just too late", Say(kPrompt), {{60000, kSent}}, 0, cancelled, 60000,
         Say(kOk)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Answer({{"AT+CMGS=\"10086\"", row.prompt}, {"Hello", row.result}, {"\x1B", row.escape}});
        std::int32_t sent = -1;
        EXPECT_EQ(Timed([&] { sent = m_modem.SendSms(u"10086", u"Hello"); }), row.ms);
        EXPECT_EQ(sent, row.sent);
        ExpectIdle();
        EXPECT_EQ(TakeLines(), row.lines);
    }
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

// The read's silence and the send's limit on the real clock, through a pseudo-terminal.
TEST(SmsCommandsOnRealTime, ReadSilenceAndSendLimitKeepTheirTime) {
    RecordedMessages messages;
    ScriptedModem line(
        [](const std::string& l) {
            return Say(l == "AT+CMGS=\"1\"" ? kPrompt : l.rfind("AT+CMGR", 0) == 0 ? "" : kOk);
        },
        ModemOptions{true, false, true});
    CModem modem{SetupCommands{}};
    ASSERT_EQ(modem.Start(line.DeviceName(), 115200, nullptr), 1);
    SlotRead slot;
    Stopwatch read;
    modem.ReadSlot(1, slot);
    EXPECT_EQ(slot.answer, SlotAnswer::kUndecided);
    EXPECT_GE(read.ElapsedMs(), 2000);
    EXPECT_LT(read.ElapsedMs(), 2600);
    modem.m_sendLimitMs = 400;
    Stopwatch send;
    EXPECT_EQ(modem.SendSms(u"1", u"Hello"), 0);
    EXPECT_GE(send.ElapsedMs(), 400);
    EXPECT_LT(send.ElapsedMs(), 1000);
    EXPECT_TRUE(messages.texts.empty());
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

}  // namespace
