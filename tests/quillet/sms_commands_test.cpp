// The SMS commands against scripted answers on the test backend: the bytes written, how long each
// command waits, what decides it, and that the channel is idle again afterwards.

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "fake_modem.h"
#include "fake_system.h"
#include "modemlink/modem.h"
#include "platform/core/codepage.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kPrompt = "\r\n> ";
const std::string kSent = "\r\n+CMGS: 12\r\n\r\nOK\r\n";
const std::string kSmsError = "\r\n+CMS ERROR: 500\r\n";
const std::u16string kUntouched = u"untouched";

std::string CmgrAnswer(const std::string& status, const std::string& sender,
                       const std::string& text) {
    return "\r\n+CMGR: \"" + status + "\",\"" + sender + "\",,\"26/12/06,21:30:00+32\"\r\n" + text +
           "\r\n\r\nOK\r\n";
}

// When a command must be decided: on text at hand, or after a 2000 ms silence.
struct Window {
    long long minMs;
    long long maxMs;
};
constexpr long long kPromptMs = 500;
constexpr Window kAtOnce{0, kPromptMs};
constexpr Window kAfterSilence{1900, 2700};

class SmsChannel : public ::testing::Test {
protected:
    void SetUp() override {
        m_system.backend.OnWrite(
            [this](const std::string&) { m_system.backend.PushInput("\r\nOK\r\n"); });
        ASSERT_EQ(m_modem.Start(u"COM1:", 115200, nullptr), 1);
        m_system.backend.OnWrite(nullptr);
        m_startUp = m_system.backend.Written().size();
        m_system.backend.ClearCalls();
    }
    void TearDown() override { EXPECT_TRUE(m_system.backend.Messages().empty()); }

    // What the commands wrote, after the start-up, and consumed.
    std::string TakeWritten() {
        const std::string written = m_system.backend.Written().substr(m_startUp);
        m_startUp += written.size();
        return written;
    }
    std::vector<std::string> TakeWriteCalls() {
        std::vector<std::string> writes;
        for (const std::string& call : m_system.backend.Calls()) {
            if (call.rfind("Write(", 0) == 0) {
                writes.push_back(call);
            }
        }
        m_system.backend.ClearCalls();
        return writes;
    }
    void Feed(const std::string& bytes) {
        CModem::OnSerialData(&m_modem, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                             static_cast<std::int32_t>(bytes.size()));
    }
    void ExpectIdle() {
        EXPECT_FALSE(m_modem.IsCollecting());
        EXPECT_TRUE(m_modem.Response().empty());
    }

    FakeSystem m_system;
    CModem m_modem{SetupCommands{}};
    FakeModem m_fake{m_system.backend};
    std::size_t m_startUp = 0;
};

struct ReadOutcome {
    std::int32_t result;
    std::u16string number;
    std::u16string text;
};
const ReadOutcome kNotRead{0, kUntouched, kUntouched};

TEST_F(SmsChannel, ReadTakesTheWholeAnswerAndFailsOnErrorOrSilence) {
    const std::string header = "\r\n+CMGR: \"REC READ\",\"555\",,\"26/12/06,21:30:00+32\"\r\n";
    const struct {
        const char* name;
        std::vector<Chunk> answer;
        ReadOutcome outcome;
        Window window;
    } rows[] = {
        {"read message",
         {{0, CmgrAnswer("REC READ", "+8613912345678", "Meet at 10")}},
         {1, u"+8613912345678", u"Meet at 10"},
         kAtOnce},
        {"ERROR fails at once", {{0, kError}}, kNotRead, kAtOnce},
        {"empty slot", {{0, kOk}}, kNotRead, kAfterSilence},
        {"numbered error", {{0, "\r\n+CMS ERROR: 321\r\n"}}, kNotRead, kAfterSilence},
        {"unread message", {{0, CmgrAnswer("REC UNREAD", "555", "Hi")}}, kNotRead, kAfterSilence},
        {"silence", {}, kNotRead, kAfterSilence},
        {"ERROR in the text waits for the rest",
         {{0, header + "Code: ERROR\r\n"}, {300, "\r\nOK\r\n"}},
         {1, u"555", u"Code: ERROR"},
         {250, 300 + kPromptMs}},
        {"empty line and OK in the text",
         {{0, CmgrAnswer("REC READ", "555", "Pay?\r\n\r\nOK\r\nthanks")}},
         {1, u"555", u"Pay?\r\n\r\nOK\r\nthanks"},
         kAtOnce},
        {"empty sender", {{0, CmgrAnswer("REC READ", "", "x")}}, {1, u"", u"x"}, kAtOnce},
        {"each piece restarts the wait",
         {{0, header}, {1500, "x\r\n"}, {1500, "\r\nOK\r\n"}},
         {1, u"555", u"x"},
         {2900, 3000 + kPromptMs}},
        // Last: its late piece lands after the read, while the channel is idle.
        {"a gap over 2000 ms ends it",
         {{0, header}, {2400, "x\r\n\r\nOK\r\n"}},
         kNotRead,
         kAfterSilence},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_fake.Answer({true, {{"AT+CMGR=1", row.answer}}});
        std::u16string number = kUntouched;
        std::u16string text = kUntouched;
        Stopwatch watch;
        EXPECT_EQ(m_modem.ReadSms(1, number, text), row.outcome.result);
        const long long elapsed = watch.ElapsedMs();
        EXPECT_GE(elapsed, row.window.minMs);
        EXPECT_LE(elapsed, row.window.maxMs);
        EXPECT_EQ(platform::Utf16ToUtf8(number), platform::Utf16ToUtf8(row.outcome.number));
        EXPECT_EQ(platform::Utf16ToUtf8(text), platform::Utf16ToUtf8(row.outcome.text));
        ExpectIdle();
        m_fake.Stop();  // a late piece lands while idle and is dropped
        EXPECT_EQ(TakeWritten(), "AT+CMGR=1\r\n");
        m_modem.ResetResponse();
    }
}

// The modem marks a message as read when it shows it the first time.
TEST_F(SmsChannel, UnreadMessageFailsOnceAndIsReadTheNextTime) {
    m_fake.Answer({true, {{"AT+CMGR=7", {{0, CmgrAnswer("REC UNREAD", "10086", "Hi")}}}}});
    std::u16string number;
    std::u16string text;
    EXPECT_EQ(m_modem.ReadSms(7, number, text), 0);
    m_fake.Answer({true, {{"AT+CMGR=7", {{0, CmgrAnswer("REC READ", "10086", "Hi")}}}}});
    EXPECT_EQ(m_modem.ReadSms(7, number, text), 1);
    EXPECT_EQ(number, u"10086");
    EXPECT_EQ(text, u"Hi");
    EXPECT_EQ(TakeWritten(), "AT+CMGR=7\r\nAT+CMGR=7\r\n");
}

// A chunk landing between the read's look at an incomplete answer and its re-arming of the event
// must end the read at once, not 2000 ms later.
TEST_F(SmsChannel, ReadMissesNoChunkLandingDuringItsLook) {
    const std::string answer = CmgrAnswer("REC READ", "555", "landed");
    const std::size_t cut = answer.size() - 5;
    // Without echo, so that the first look, the one the hook catches, is at this very piece.
    m_fake.Answer({false, {{"AT+CMGR=1", {{0, answer.substr(0, cut)}}}}});
    std::thread feeder;
    m_system.backend.OnNextReset([&] {
        std::promise<void> fed;
        std::future<void> done = fed.get_future();
        feeder = std::thread([this, &answer, cut, fed = std::move(fed)]() mutable {
            Feed(answer.substr(cut));
            fed.set_value();
        });
        done.wait_for(50ms);  // a correct reader holds the lock: the chunk cannot get in yet
    });
    std::u16string number;
    std::u16string text;
    Stopwatch watch;
    EXPECT_EQ(m_modem.ReadSms(1, number, text), 1);
    EXPECT_LT(watch.ElapsedMs(), kPromptMs);
    feeder.join();
    EXPECT_EQ(text, u"landed");
}

TEST_F(SmsChannel, ParseReadResponseFindsTheAnswerOnlyOnceItIsWhole) {
    const std::string answer = "AT+CMGR=1\r" + CmgrAnswer("REC READ", "+86139", "a\r\nb");
    m_modem.SendLine(u"AT+CMGR=1");
    std::int32_t numberStart = -7;
    std::int32_t numberLength = -7;
    std::int32_t bodyStart = -7;
    std::int32_t bodyLength = -7;
    for (std::size_t sent = 0; sent < answer.size();) {
        const std::size_t piece = std::min<std::size_t>(9, answer.size() - sent);
        Feed(answer.substr(sent, piece));
        sent += piece;
        const std::int32_t found =
            m_modem.ParseReadResponse(numberStart, numberLength, bodyStart, bodyLength);
        ASSERT_EQ(found, sent == answer.size() ? 1 : -1) << sent;
    }
    const std::u16string response = m_modem.Response();
    EXPECT_EQ(response.substr(static_cast<std::size_t>(numberStart),
                              static_cast<std::size_t>(numberLength)),
              u"+86139");
    EXPECT_EQ(
        response.substr(static_cast<std::size_t>(bodyStart), static_cast<std::size_t>(bodyLength)),
        u"a\r\nb");
    m_modem.ResetResponse();
}

Dialogue Replies(const std::string& text, std::vector<Chunk> prompt, std::vector<Chunk> result,
                 bool echo = true) {
    Dialogue dialogue;
    dialogue.echo = echo;
    dialogue.replies["AT+CMGS=\"10086\""] = std::move(prompt);
    dialogue.replies[text] = std::move(result);
    return dialogue;
}

TEST_F(SmsChannel, SendDecidesOnThePromptAndOnTheModemsOwnResult) {
    const Window kAfterTheModem{250, 300 + kPromptMs};  // its result comes 300 ms after the echo
    const struct {
        const char* name;
        std::string text;
        std::vector<Chunk> prompt;  // the answer to AT+CMGS="10086"
        std::vector<Chunk> result;  // the answer to the text, after its echo
        std::int32_t sent;
        Window window;
        bool echo = true;
    } rows[] = {
        {"sent", "Hello", {{0, kPrompt}}, {{0, kSent}}, 1, kAtOnce},
        {"no prompt", "Hello", {}, {}, 0, kAfterSilence},
        {"prompt refused", "Hello", {{0, kError}}, {}, 0, kAtOnce},
        {"prompt refused with a number",
         "Hello",
         {{0, "\r\n+CMS ERROR: 304\r\n"}},
         {},
         0,
         kAfterSilence},
        {"numbered error ends it at once", "Hello", {{0, kPrompt}}, {{0, kSmsError}}, 0, kAtOnce},
        {"ERROR", "Hello", {{0, kPrompt}}, {{0, kError}}, 0, kAtOnce},
        {"echoed CMGS is no success",
         "CMGS",
         {{0, kPrompt}},
         {{300, kSmsError}},
         0,
         kAfterTheModem},
        {"echoed +CMGS: 5 is no success",
         "+CMGS: 5",
         {{0, kPrompt}},
         {{300, kSmsError}},
         0,
         kAfterTheModem},
        {"echoed ERROR is no failure",
         "Code: ERROR",
         {{0, kPrompt}},
         {{300, kSent}},
         1,
         kAfterTheModem},
        {"echoed ERROR line is no failure",
         "x\r\nERROR",
         {{0, kPrompt}},
         {{300, kSent}},
         1,
         kAfterTheModem},
        {"no echo", "Hello", {{0, kPrompt}}, {{0, kSent}}, 1, kAtOnce, false},
        {"silence on the way does not end it",
         "Hello",
         {{0, kPrompt}},
         {{1500, kSent}},
         1,
         {1400, 1500 + kPromptMs}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_fake.Answer(Replies(row.text, row.prompt, row.result, row.echo));
        Stopwatch watch;
        EXPECT_EQ(m_modem.SendSms(u"10086", platform::Utf8ToUtf16(row.text)), row.sent);
        const long long elapsed = watch.ElapsedMs();
        EXPECT_GE(elapsed, row.window.minMs);
        EXPECT_LE(elapsed, row.window.maxMs);
        ExpectIdle();
        m_fake.Stop();
        const bool prompted = !row.prompt.empty() && row.prompt.front().bytes == kPrompt;
        const std::string command = "AT+CMGS=\"10086\"\r\n";
        EXPECT_EQ(TakeWritten(), prompted ? command + row.text + "\r\n\x1A" : command);
        // The text in one write of its own: n + 3 bytes.
        const std::vector<std::string> writes = TakeWriteCalls();
        ASSERT_EQ(writes.size(), prompted ? 2U : 1U);
        if (prompted) {
            EXPECT_EQ(writes[1], "Write(" + std::to_string(row.text.size() + 3) + ")");
        }
        m_modem.ResetResponse();
    }
}

TEST_F(SmsChannel, SendWritesTheLowByteOfEachUnit) {
    m_fake.Answer({true, {{"AT+CMGS=\"+86\"", {{0, kPrompt}}}, {"-\x87 ok", {{0, kSent}}}}});
    EXPECT_EQ(m_modem.SendSms(u"+86", u"\x4E2D\x6587 ok"), 1);
    EXPECT_EQ(TakeWritten(), "AT+CMGS=\"+86\"\r\n-\x87 ok\r\n\x1A");
    EXPECT_EQ(TakeWriteCalls().back(), "Write(8)");
}

// The window is frozen meanwhile, so a send that hears nothing but its echo gives up after the
// longest answer time of AT+CMGS.
TEST_F(SmsChannel, SendGivesUpAfterTheOverallLimit) {
    m_fake.Answer(Replies("Hello", {{0, kPrompt}}, {}));
    Stopwatch watch;
    EXPECT_EQ(m_modem.SendSms(u"10086", u"Hello"), 0);
    EXPECT_GE(watch.ElapsedMs(), 59900);
    EXPECT_LE(watch.ElapsedMs(), 61000);
    ExpectIdle();
}

TEST_F(SmsChannel, SendResultMissesNoChunkLandingDuringItsLook) {
    std::thread feeder;
    const auto armAfterTheText = [&](const std::string& block) {
        if (block.back() != '\x1A') {
            return;
        }
        // The next reset is the result phase's re-arming after it saw the echo alone.
        m_system.backend.OnNextReset([&] {
            std::promise<void> fed;
            std::future<void> done = fed.get_future();
            feeder = std::thread([this, fed = std::move(fed)]() mutable {
                Feed(kSent);
                fed.set_value();
            });
            done.wait_for(50ms);
        });
    };
    m_system.backend.OnWrite([&](const std::string& block) {
        armAfterTheText(block);
        m_system.backend.PushInput(block.back() == '\x1A' ? "Hello\r\n" : kPrompt);
    });
    Stopwatch watch;
    EXPECT_EQ(m_modem.SendSms(u"10086", u"Hello"), 1);
    EXPECT_LT(watch.ElapsedMs(), kPromptMs * 2);
    feeder.join();
    ExpectIdle();
}

TEST_F(SmsChannel, DeleteAndCentreWriteTheirLineAndTakeTheFinalResult) {
    const struct {
        const char* name;
        std::function<std::int32_t(CModem&)> command;
        std::string line;
        std::vector<Chunk> answer;
        std::int32_t result;
    } rows[] = {
        {"delete", [](CModem& m) { return m.DeleteSms(3); }, "AT+CMGD=3", {{0, kOk}}, 1},
        {"delete refused",
         [](CModem& m) { return m.DeleteSms(21); },
         "AT+CMGD=21",
         {{0, kError}},
         0},
        {"centre number",
         [](CModem& m) { return m.SetSmsCentre(u"+8613800200500"); },
         "AT+CSCA=\"+8613800200500\",145",
         {{0, kOk}},
         1},
        {"centre empty",
         [](CModem& m) { return m.SetSmsCentre(u""); },
         "AT+CSCA=\"\",145",
         {{0, kError}},
         0},
        {"centre command",
         [](CModem& m) { return m.SetSmsCentre(u"at+csca=\"+86138\""); },
         "at+csca=\"+86138\",145",
         {{0, kOk}},
         1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_fake.Answer({true, {{row.line, row.answer}}});
        EXPECT_EQ(row.command(m_modem), row.result);
        ExpectIdle();
        m_fake.Stop();
        EXPECT_EQ(TakeWritten(), row.line + "\r\n");
    }
}

TEST(SmsChannelWithoutPort, EveryCommandReportsZeroAtOnceAndWritesNothing) {
    const struct {
        const char* name;
        platform::InjectedFaults faults;
        bool start;
    } rows[] = {
        {"never started", {}, false},
        {"start-up failed", {true, false, false, false, false}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem system(row.faults);
        CModem modem{SetupCommands{}};
        if (row.start) {
            EXPECT_EQ(modem.Start(u"COM1:", 115200, nullptr), 0);
        }
        const std::size_t messages = system.backend.Messages().size();
        std::u16string number = kUntouched;
        std::u16string text = kUntouched;
        Stopwatch watch;
        EXPECT_EQ(modem.SendLineCtrlZ(u"Hello"), 0);
        EXPECT_EQ(modem.ReadSms(1, number, text), 0);
        EXPECT_EQ(modem.SendSms(u"10086", u"Hello"), 0);
        EXPECT_EQ(modem.DeleteSms(1), 0);
        EXPECT_EQ(modem.SetSmsCentre(u"+8613800200500"), 0);
        EXPECT_LT(watch.ElapsedMs(), 50);
        EXPECT_EQ(number, kUntouched);
        EXPECT_EQ(text, kUntouched);
        EXPECT_FALSE(modem.IsCollecting());
        EXPECT_EQ(system.backend.Written(), "");
        EXPECT_EQ(system.backend.Messages().size(), messages);
    }
}

}  // namespace
