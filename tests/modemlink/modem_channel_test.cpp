// The command channel fed chunks directly: the silence time-out, the NUL rules, events, the
// hand-over between the reader thread and a waiting command, and the channel without a port.

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <future>
#include <thread>

#include "channel_events.h"
#include "fake_system.h"
#include "modemlink/modem.h"
#include "quillet/slot_read.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

// A channel started on the test backend, whose answers the test then feeds by hand; on virtual
// time unless a test races the reader thread against a waiting command.
class FedChannelOn : public ::testing::Test {
protected:
    explicit FedChannelOn(platform::TestTime time) : m_system(time) {}
    void SetUp() override {
        m_system.backend.OnWrite(
            [this](const std::string&) { m_system.backend.PushInput("\r\nOK\r\n"); });
        ASSERT_EQ(m_modem.Start(u"COM1:", 115200, &m_events), 1);
        m_system.backend.OnWrite(nullptr);
        m_system.backend.ClearCalls();
    }
    void Feed(const std::string& bytes) {
        CModem::OnSerialData(&m_modem, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                             static_cast<std::int32_t>(bytes.size()));
    }
    void ExpectIdle() {
        EXPECT_FALSE(m_modem.IsCollecting());
        EXPECT_TRUE(m_modem.Response().empty());
    }
    long long MsSince(platform::TimePoint start) { return m_system.backend.MsSince(start); }

    FakeSystem m_system;
    ChannelEvents m_events;
    CModem m_modem{SetupCommands{}};
};

class FedChannel : public FedChannelOn {
protected:
    FedChannel() : FedChannelOn(platform::TestTime::kVirtual) {}
};

class FedChannelOnRealTime : public FedChannelOn {
protected:
    FedChannelOnRealTime() : FedChannelOn(platform::TestTime::kReal) {}
};

struct Piece {
    int atMs;  // 0: fed before the command starts waiting
    std::string bytes;
};

// Which text decides is DecideFinalResult's table; here only what the 500 ms of silence does.
TEST_F(FedChannel, WaitResultEndsAfterSilenceThatOnlyNewTextRestarts) {
    const std::string nul(1, '\0');
    const struct {
        const char* name;
        std::vector<Piece> pieces;
        std::int32_t result;
        long long ms;
    } rows[] = {
        {"OK split between chunks", {{0, "\r\nO"}, {100, "K\r\n"}}, 1, 100},
        {"silence", {}, 0, 500},
        {"each chunk restarts the wait",
         {{300, "+CSQ: 20,0\r\n"}, {600, "\r\n"}, {900, "OK\r\n"}},
         1,
         900},
        {"just within the silence", {{499, "+CSQ: 20,0\r\n"}, {998, "\r\nOK\r\n"}}, 1, 998},
        {"just past it", {{500, "\r\nOK\r\n"}}, 0, 500},
        // The first cut leaves a mark, which is new text; the marks after it are not.
        {"NULs alone are no new text",
         {{0, "\r\n"}, {150, nul}, {300, nul + nul}, {450, nul}, {600, nul}, {750, nul}},
         0,
         650},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(m_modem.SendLine(u"AT"), 1);
        for (const Piece& piece : row.pieces) {
            if (piece.atMs == 0) {
                Feed(piece.bytes);
            } else {
                m_system.backend.At(std::chrono::milliseconds(piece.atMs),
                                    [this, bytes = piece.bytes] { Feed(bytes); });
            }
        }
        const platform::TimePoint start = m_system.backend.Now();
        EXPECT_EQ(m_modem.WaitResult(), row.result);
        EXPECT_EQ(MsSince(start), row.ms);
        m_system.backend.Advance(1s);  // what came after the decision was taken as unsolicited
        ExpectIdle();
    }
    EXPECT_TRUE(m_events.Take().empty());
}

// A chunk's text ends at its first NUL; the cut leaves one mark, so no code forms across it.
TEST_F(FedChannel, NulCutLeavesOneMarkInTheAnswer) {
    const struct {
        const char* name;
        std::vector<std::string> chunks;
        std::u16string answer;
    } rows[] = {
        {"text after a NUL is dropped", {std::string("\r\nO\0K\r\n", 7)}, u"\r\nO\uFFFD"},
        {"no code forms across the cut",
         {std::string("\r\nOK\0x", 6), "\r\n"},
         u"\r\nOK\uFFFD\r\n"},
        {"a mark after a mark adds nothing",
         {"\r\n", std::string(3, '\0'), std::string(1, '\0')},
         u"\r\n\uFFFD"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_modem.SendLine(u"AT");
        for (const std::string& chunk : row.chunks) {
            Feed(chunk);
        }
        EXPECT_EQ(m_modem.Response(), row.answer);
        m_modem.ResetResponse();
    }
}

// A chunk that lands after the waiter found the answer incomplete, but before it re-armed the
// event, must still end the wait: the re-arming happens under the lock the reader needs.
TEST_F(FedChannelOnRealTime, ChunkLandingBetweenTheLookAndTheReArmEndsTheWait) {
    m_modem.SendLine(u"AT");
    Feed("AT\r");  // text, but no final code yet: the waiter looks and re-arms
    std::thread feeder;
    m_system.backend.OnNextReset([&] {
        std::promise<void> fed;
        std::future<void> done = fed.get_future();
        feeder = std::thread([this, fed = std::move(fed)]() mutable {
            Feed("\r\nOK\r\n");
            fed.set_value();
        });
        done.wait_for(50ms);  // a correct waiter holds the lock: the chunk cannot get in yet
    });
    Stopwatch watch;
    EXPECT_EQ(m_modem.WaitResult(), 1);
    EXPECT_LT(watch.ElapsedMs(), 400);
    feeder.join();
}

// Collecting is on before the line goes out: an answer that arrives while Write has not yet
// returned belongs to the command.
TEST_F(FedChannel, AnswerArrivingDuringTheWriteIsKept) {
    m_system.backend.OnWrite([this](const std::string&) { Feed("\r\nOK\r\n"); });
    const platform::TimePoint start = m_system.backend.Now();
    m_modem.SendLine(u"AT");
    EXPECT_EQ(m_modem.WaitResult(), 1);
    EXPECT_EQ(MsSince(start), 0);
    m_system.backend.OnWrite(nullptr);
}

// U+4E0D's low byte is CR: it would have ended the line inside the number.
TEST_F(FedChannel, LineWithACharacterNoLineCanCarryIsRefusedUnwritten) {
    m_system.backend.TakeWritten();
    EXPECT_EQ(m_modem.SendLine(u"ATD139\x4E0D"
                               u"0;"),
              0);
    EXPECT_EQ(m_modem.Dial(u"139\r0"), 0);
    ExpectIdle();
    EXPECT_TRUE(m_system.backend.TakeWritten().empty());
}

// A port that never stops talking: past 64 Ki characters the answer fails at the next look.
TEST_F(FedChannel, AnswerGrownPastItsLimitFailsAtOnce) {
    m_modem.SendLine(u"AT");
    for (int i = 0; i < 70; ++i) {
        Feed(std::string(1000, 'x') + "\r\n");
    }
    const platform::TimePoint start = m_system.backend.Now();
    EXPECT_EQ(m_modem.WaitResult(), 0);
    EXPECT_EQ(MsSince(start), 0);
    ExpectIdle();
}

TEST_F(FedChannel, IdleChunksBecomeEvents) {
    const struct {
        const char* name;
        std::vector<std::string> chunks;
        std::vector<ChannelEvent> events;
    } rows[] = {
        {"no handler, no event", {"\r\nRING\r\n"}, {}},
        {"a caller line on its own is no ring", {"\r\n+CLIP: \"555\",129\r\n"}, {}},
        {"ring with caller id",
         {"\r\nRING\r\n\r\n+CLIP: \"+393351391306\",145,,,,0\r\n"},
         {{EVT_RING, u"+393351391306"}}},
        {"caller id in the next chunk: the ring again, with its number",
         {"\r\nRING\r\n", "\r\n+CLIP: \"555\",129,,,,0\r\n"},
         {{EVT_RING, u""}, {EVT_RING, u"555"}}},
        {"line drop then ring, in their order",
         {"\r\nNO CARRIER\r\n\r\nRING\r\n"},
         {{EVT_NO_CARRIER, u""}, {EVT_RING, u""}}},
        {"a connection is no event", {"\r\nCONNECT\r\n\r\nBUSY\r\n"}, {{EVT_BUSY, u""}}},
        {"other idle text is dropped", {"\r\n+CREG: 1\r\n", "\r\nOK\r\n"}, {}},
        {"NUL hides what follows", {std::string("\r\n\0RING\r\n", 9)}, {}},
        {"unmappable bytes around the code", {"\xFF\xFE\r\nRING\r\n\x80"}, {{EVT_RING, u""}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const std::string& chunk : row.chunks) {
            Feed(chunk);
        }
        EXPECT_EQ(m_events.Take(), row.events);
        ExpectIdle();
        m_modem.m_pfnEvent = &ChannelEvents::OnEvent;
    }
}

TEST_F(FedChannel, RingWhileACommandWaitsIsPartOfTheAnswer) {
    m_modem.m_pfnEvent = &ChannelEvents::OnEvent;
    m_modem.SendLine(u"AT");
    Feed("\r\nRING\r\n");
    EXPECT_EQ(m_modem.Response(), u"\r\nRING\r\n");
    Feed("\r\nOK\r\n");
    EXPECT_EQ(m_modem.WaitResult(), 1);
    EXPECT_TRUE(m_events.Take().empty());
}

// Message reports while idle, cut between reads, owed by the chunk a command's answer starts
// with, and inside an answer (handed over once the command has ended, its own text left alone).
TEST_F(FedChannel, MessageReportsBecomeEventsWhereverTheyCome) {
    const std::string cmt = "\r\n+CMT: \"10086\",,\"26/12/06,21:30:00+32\"\r\n";
    const std::u16string cmtLine = u"+CMT: \"10086\",,\"26/12/06,21:30:00+32\"";
    const struct {
        const char* name;
        std::vector<std::string> idle;     // fed while no command waits
        std::vector<std::string> answer;   // fed while AT waits; its "OK" decides
        std::vector<ChannelEvent> events;  // after the command
    } rows[] = {
        {"stored", {"\r\n+CMTI: \"SM\",3\r\n"}, {}, {{EVT_MESSAGE_STORED, u"+CMTI: \"SM\",3"}}},
        {"cut between reads",
         {"\r\n+CM", "TI: \"ME\",0\r", "\n"},
         {},
         {{EVT_MESSAGE_STORED, u"+CMTI: \"ME\",0"}}},
        {"routed, text in the next read", {cmt, "Hi there\r\n"}, {},
         {{EVT_MESSAGE_ROUTED, cmtLine + u"\r\nHi there"}}},
        {"routed text owed by the answer's first chunk",
         {cmt},
         {"Hi\r\nAT\r\r\nOK\r\n"},
         {{EVT_MESSAGE_ROUTED, cmtLine + u"\r\nHi"}}},
        {"in the answer, before and after its result",
         {},
         {"\r\n+CMTI: \"SM\",1\r\nAT\r\r\nOK\r\n", cmt + "Hey\r\n"},
         {{EVT_MESSAGE_STORED, u"+CMTI: \"SM\",1"}, {EVT_MESSAGE_ROUTED, cmtLine + u"\r\nHey"}}},
        {"a message's own text is no report",
         {},
         {"\r\n+CMGR: \"REC READ\",\"1\",,\"26/12/06,21:30:00+32\"\r\n+CMTI: \"SM\",9\r\n\r\nOK\r\n"},
         {}},
    };
    m_modem.m_pfnEvent = &ChannelEvents::OnEvent;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const std::string& chunk : row.idle) {
            Feed(chunk);
        }
        if (!row.answer.empty()) {
            m_modem.SendLine(u"AT");
            for (const std::string& chunk : row.answer) {
                Feed(chunk);
            }
            EXPECT_EQ(m_modem.WaitResult(), 1);
        }
        EXPECT_EQ(m_events.Take(), row.events);
        ExpectIdle();
    }
}

// A call's lines cut at every place between two reads give the same events as whole.
TEST_F(FedChannel, CallReportsCutAnywhereBetweenReadsCount) {
    const std::string text = "\r\nRING\r\n\r\n+CLIP: \"13912345678\",129,,,,0\r\n\r\nNO CARRIER\r\n";
    const std::vector<ChannelEvent> whole = {{EVT_RING, u"13912345678"}, {EVT_NO_CARRIER, u""}};
    m_modem.m_pfnEvent = &ChannelEvents::OnEvent;
    for (std::size_t cut = 1; cut < text.size(); ++cut) {
        SCOPED_TRACE(cut);
        Feed(text.substr(0, cut));
        Feed(text.substr(cut));
        std::vector<ChannelEvent> events = m_events.Take();
        // Cut between RING and its +CLIP: the ring comes first without its number.
        if (events.size() == 3 && events[0] == ChannelEvent{EVT_RING, u""}) {
            events.erase(events.begin());
        }
        EXPECT_EQ(events, whole);
    }
}

// Reports after a command's own result are handed over once the command has ended, in order;
// before it, a BUSY is the dial's own answer.
TEST_F(FedChannel, ReportsAfterACommandsResultComeAfterTheCommand) {
    const struct {
        const char* name;
        std::string answer;
        std::vector<ChannelEvent> events;
    } rows[] = {
        {"busy in the dial's burst", "ATD1;\r\r\nOK\r\n\r\nBUSY\r\n", {{EVT_BUSY, u""}}},
        {"Huawei: origin, end", "\r\nOK\r\n\r\n^ORIG:1,0\r\n\r\n^CEND:1,0,21\r\n",
         {{EVT_NO_CARRIER, u""}}},
        {"several", "\r\nOK\r\n\r\nNO CARRIER\r\n\r\nRING\r\n\r\n+CLIP: \"5\",129\r\n",
         {{EVT_NO_CARRIER, u""}, {EVT_RING, u"5"}}},
        {"before the result: the command's own", "\r\nBUSY\r\n\r\nOK\r\n", {}},
    };
    m_modem.m_pfnEvent = &ChannelEvents::OnEvent;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_modem.SendLine(u"AT");
        Feed(row.answer);
        EXPECT_TRUE(m_events.Take().empty()) << "nothing while the command waits";
        m_modem.WaitResult();
        EXPECT_EQ(m_events.Take(), row.events);
    }
}

// A routed header whose text never comes is handed over with an empty text after 2 s, at the next
// read; a line that never ends is dropped past its bound and leaks nothing into what follows.
TEST(ReportLines, LateTextAndOverlongLinesHaveABound) {
    ReportLines lines;
    const platform::TimePoint start{};
    EXPECT_TRUE(lines.Add(u"\r\n+CMT: \"1\",,\"t\"\r\n", start).empty());
    EXPECT_TRUE(lines.Add(u"", start + 1999ms).empty());
    const std::vector<MessageReport> late = lines.Add(u"", start + 2000ms);
    ASSERT_EQ(late.size(), 1U);
    EXPECT_EQ(late[0].text, u"+CMT: \"1\",,\"t\"\r\n");
    EXPECT_TRUE(lines.Add(u"+CMTI: " + std::u16string(ReportLines::kMaxLine, u'9'), start).empty());
    EXPECT_TRUE(lines.Add(u"\r\n", start).empty());
    const std::vector<MessageReport> next = lines.Add(u"+CMTI: \"SM\",1\r\n", start);
    ASSERT_EQ(next.size(), 1U);
    EXPECT_EQ(next[0].text, u"+CMTI: \"SM\",1");
    std::vector<MessageReport> owed;
    EXPECT_EQ(lines.Add(u"\r\nRI", start).size(), 0U);
    EXPECT_EQ(lines.TakeOwed(u"NG\r\nAT\r\r\nOK\r\n", start, owed), 0U) << "not a report";
}

// The window may start a command while a ring handler still runs on the reader thread; the idle
// clean-up of that chunk must not switch the new command's collecting off.
TEST_F(FedChannel, CommandStartedDuringAHandlerKeepsItsAnswer) {
    static std::mutex gate;
    static std::condition_variable changed;
    static bool inHandler = false;
    static bool release = false;
    inHandler = release = false;
    m_modem.m_pfnEvent = [](void*, std::int32_t, std::u16string) {
        std::unique_lock<std::mutex> lock(gate);
        inHandler = true;
        changed.notify_all();
        changed.wait(lock, [] { return release; });
    };
    std::thread reader([&] { Feed("\r\nNO CARRIER\r\n"); });
    {
        std::unique_lock<std::mutex> lock(gate);
        changed.wait(lock, [] { return inHandler; });
    }
    m_modem.SendLine(u"ATH");
    {
        std::lock_guard<std::mutex> lock(gate);
        release = true;
        changed.notify_all();
    }
    reader.join();
    EXPECT_TRUE(m_modem.IsCollecting());
    Feed("\r\nOK\r\n");
    EXPECT_EQ(m_modem.WaitResult(), 1);
}

// A window keeps polling after a failed start-up: every command of both programs must report 0
// at once, write nothing and show nothing.
TEST(ChannelWithoutPort, EveryCommandReportsZeroAtOnce) {
    const std::function<std::int32_t(CModem&)> commands[] = {
        [](CModem& m) { return m.SendLine(u"AT"); },
        [](CModem& m) { return m.WaitResult(); },
        [](CModem& m) { return m.SendLineCtrlZ(u"Hello"); },
        [](CModem& m) {
            SlotRead read;
            m.ReadSlot(1, read);
            return read.answer == SlotAnswer::kError ? 0 : 1;
        },
        [](CModem& m) {
            std::int32_t used = 0;
            std::int32_t total = 0;
            return m.StorageUsage(used, total);
        },
        [](CModem& m) { return m.SendSms(u"10086", u"Hello"); },
        [](CModem& m) { return m.DeleteSms(1); },
        [](CModem& m) { return m.SetSmsCentre(u"+8613800200500"); },
        [](CModem& m) { return m.Dial(u"10086"); },
        [](CModem& m) { return m.HangUp(); },
        [](CModem& m) { return m.Answer(); },
        [](CModem& m) { return m.Reject(); },
    };
    const struct {
        const char* name;
        platform::InjectedFaults faults;
        const char* answer;  // to every start-up line; nullptr: never started
    } rows[] = {
        {"never started", {}, nullptr},
        {"device cannot be opened", {true, false, false, false, false}, ""},
        {"modem refuses the line speed", {}, "\r\nERROR\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem system(row.faults);
        system.backend.OnWrite([&](const std::string&) {
            system.backend.PushInput(row.answer != nullptr ? row.answer : "");
        });
        CModem modem{SetupCommands{u"AT+CLIP=1"}};
        if (row.answer != nullptr) {
            ASSERT_EQ(modem.Start(u"COM1:", 115200, nullptr), 0);
        }
        const std::string written = system.backend.Written();
        const std::size_t messages = system.backend.Messages().size();
        const platform::TimePoint start = system.backend.Now();
        for (const auto& command : commands) {
            EXPECT_EQ(command(modem), 0);
            EXPECT_FALSE(modem.IsCollecting());
        }
        EXPECT_EQ(system.backend.MsSince(start), 0);
        EXPECT_EQ(system.backend.Written(), written);
        EXPECT_EQ(system.backend.Messages().size(), messages);
    }
}

}  // namespace
