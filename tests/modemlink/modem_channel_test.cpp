// The command channel fed chunks directly: final results, the silence time-out, events, and the
// hand-over between the reader thread and a waiting command.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <random>
#include <thread>

#include "channel_events.h"
#include "fake_system.h"
#include "modemlink/modem.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

// A channel started on the test backend, whose answers the test then feeds by hand.
class Channel : public ::testing::Test {
protected:
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

    FakeSystem m_system;
    ChannelEvents m_events;
    CModem m_modem{SetupCommands{}};
};

struct Chunk {
    int afterMs;  // 0: fed before the command starts waiting
    std::string bytes;
};

TEST_F(Channel, WaitResultDecidesOnCompleteCodesOrSilence) {
    const std::string kNul(1, '\0');
    const struct {
        const char* name;
        std::vector<Chunk> chunks;
        std::int32_t result;
        long long minMs;
        long long maxMs;
    } rows[] = {
        {"OK", {{0, "AT\r\r\nOK\r\n"}}, 1, 0, 100},
        {"ERROR", {{0, "\r\nERROR\r\n"}}, 0, 0, 100},
        {"small letters", {{0, "\r\nok\r\n"}}, 1, 0, 100},
        {"small error", {{0, "\r\nerror\r\n"}}, 0, 0, 100},
        {"OK then ERROR in one answer", {{0, "\r\nOK\r\n"}, {0, "\r\nERROR\r\n"}}, 0, 0, 100},
        {"OK split between chunks", {{0, "\r\nO"}, {100, "K\r\n"}}, 1, 90, 300},
        {"OK split at its line end", {{0, "\r\nOK\r"}, {100, "\n"}}, 1, 90, 300},
        {"mixed case is no result", {{0, "\r\nOk\r\n"}}, 0, 450, 800},
        {"OK without line end", {{0, "\r\nOK"}}, 0, 450, 800},
        {"silence", {}, 0, 450, 800},
        {"each chunk restarts the wait",
         {{200, "+CSQ: 20,0\r\n"}, {200, "\r\n"}, {200, "\r\n"}, {200, "OK\r\n"}},
         1,
         750,
         1200},
        {"a gap over 500 ms ends it", {{900, "\r\nOK\r\n"}}, 0, 450, 800},
        {"NUL cuts the chunk", {{0, std::string("\r\nO\0K\r\n", 7)}}, 0, 450, 800},
        {"text after a NUL is dropped", {{0, std::string("\r\nOK\r\n\0x", 8)}}, 1, 0, 100},
        {"no code forms across a NUL cut",
         {{0, std::string("\r\nOK\0x", 6)}, {100, "\r\n"}},
         0,
         550,
         900},
        {"NULs alone are no new text",
         {{0, "\r\n"}, {150, kNul}, {150, kNul + kNul}, {150, kNul}, {150, kNul}, {150, kNul}},
         0,
         600,
         950},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(m_modem.SendLine(u"AT"), 1);
        std::vector<Chunk> later;
        for (const Chunk& chunk : row.chunks) {
            if (chunk.afterMs == 0) {
                Feed(chunk.bytes);
            } else {
                later.push_back(chunk);
            }
        }
        std::thread feeder([&] {
            for (const Chunk& chunk : later) {
                std::this_thread::sleep_for(std::chrono::milliseconds(chunk.afterMs));
                Feed(chunk.bytes);
            }
        });
        Stopwatch watch;
        EXPECT_EQ(m_modem.WaitResult(), row.result);
        const long long elapsed = watch.ElapsedMs();
        feeder.join();
        EXPECT_GE(elapsed, row.minMs);
        EXPECT_LE(elapsed, row.maxMs);
        EXPECT_FALSE(m_modem.IsCollecting());
        EXPECT_TRUE(m_modem.Response().empty());
        m_modem.ResetResponse();  // a chunk fed after the decision was taken as unsolicited
    }
    EXPECT_TRUE(m_events.Take().empty());
}

// A chunk that lands after the waiter found the answer incomplete, but before it re-armed the
// event, must still end the wait: the re-arming happens under the lock the reader needs.
TEST_F(Channel, ChunkLandingBetweenTheLookAndTheReArmEndsTheWait) {
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
TEST_F(Channel, AnswerArrivingDuringTheWriteIsKept) {
    m_system.backend.OnWrite([this](const std::string&) { Feed("\r\nOK\r\n"); });
    Stopwatch watch;
    m_modem.SendLine(u"AT");
    EXPECT_EQ(m_modem.WaitResult(), 1);
    EXPECT_LT(watch.ElapsedMs(), 100);
    m_system.backend.OnWrite(nullptr);
}

TEST_F(Channel, EndlessTalkWithoutAFinalCodeFailsInsteadOfHanging) {
    m_modem.SendLine(u"AT");
    std::atomic<bool> stop{false};
    std::thread talker([&] {
        const std::string line(1000, 'x');
        while (!stop) {
            Feed(line + "\r\n");
            std::this_thread::sleep_for(2ms);
        }
    });
    Stopwatch watch;
    EXPECT_EQ(m_modem.WaitResult(), 0);
    EXPECT_LT(watch.ElapsedMs(), 3000);  // 64 Ki characters at 1 kB every 2 ms
    stop = true;
    talker.join();
    EXPECT_TRUE(m_modem.Response().empty());
}

TEST_F(Channel, SendLineWritesPrintableAsciiWithCrLfOrNothing) {
    const std::size_t before = m_system.backend.Written().size();
    EXPECT_EQ(m_modem.SendLine(u"ATD139\x4E0D"), 0);  // U+4E0D's low byte is CR
    EXPECT_FALSE(m_modem.IsCollecting());
    EXPECT_EQ(m_system.backend.Written().size(), before);
    EXPECT_EQ(m_modem.SendLine(u"ATD\xFF11\xFF12;"), 1);
    EXPECT_EQ(m_system.backend.Written().substr(before), "ATD12;\r\n");
    EXPECT_TRUE(m_modem.IsCollecting());
    m_modem.ResetResponse();
}

TEST_F(Channel, IdleChunksBecomeEvents) {
    m_modem.m_pfnEvent = &ChannelEvents::OnEvent;
    const struct {
        const char* name;
        std::vector<std::string> chunks;
        std::vector<ChannelEvent> events;
    } rows[] = {
        {"ring with caller id",
         {"\r\nRING\r\n\r\n+CLIP: \"+393351391306\",145,,,,0\r\n"},
         {{EVT_RING, u"+393351391306"}}},
        {"ring alone", {"\r\nRING\r\n"}, {{EVT_RING, u""}}},
        {"caller id in the next chunk is lost",
         {"\r\nRING\r\n", "\r\n+CLIP: \"555\",129,,,,0\r\n"},
         {{EVT_RING, u""}}},
        {"caller id without closing quote", {"\r\nRING\r\n\r\n+CLIP: \"555"}, {{EVT_RING, u""}}},
        {"ring and line drop in one chunk",
         {"\r\nRING\r\n\r\nNO CARRIER\r\n"},
         {{EVT_RING, u""}, {EVT_NO_CARRIER, u""}}},
        {"line drop then ring, still ring first",
         {"\r\nNO CARRIER\r\n\r\nRING\r\n"},
         {{EVT_RING, u""}, {EVT_NO_CARRIER, u""}}},
        {"small letters", {"ring\r\n", "no carrier\r\n"}, {{EVT_RING, u""}, {EVT_NO_CARRIER, u""}}},
        {"capitalised words are not codes", {"Ring\r\n", "No Carrier\r\n"}, {}},
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
        EXPECT_FALSE(m_modem.IsCollecting());
        EXPECT_TRUE(m_modem.Response().empty());
    }
}

TEST_F(Channel, RingWhileACommandWaitsIsPartOfTheAnswer) {
    m_modem.m_pfnEvent = &ChannelEvents::OnEvent;
    m_modem.SendLine(u"AT");
    Feed("\r\nRING\r\n");
    EXPECT_EQ(m_modem.Response(), u"\r\nRING\r\n");
    Feed("\r\nOK\r\n");
    EXPECT_EQ(m_modem.WaitResult(), 1);
    EXPECT_TRUE(m_events.Take().empty());
}

TEST_F(Channel, NoHandlerMeansNoEvent) {
    Feed("\r\nRING\r\n\r\nNO CARRIER\r\n");
    EXPECT_TRUE(m_events.Take().empty());
}

// A chunk that lands between the waiter's look at the answer and its re-arming of the event must
// still end the wait: otherwise the command would time out with its answer in the buffer.
TEST_F(Channel, ChunkArrivingDuringTheLookIsNeverMissed) {
    std::mt19937 random(7);
    for (int round = 0; round < 150; ++round) {
        m_modem.SendLine(u"AT");
        const int pieces = 1 + static_cast<int>(random() % 6);
        std::vector<int> pausesUs;
        for (int i = 0; i < pieces; ++i) {
            pausesUs.push_back(static_cast<int>(random() % 300));
        }
        std::thread feeder([&] {
            for (int i = 0; i < pieces; ++i) {
                std::this_thread::sleep_for(
                    std::chrono::microseconds(pausesUs[static_cast<std::size_t>(i)]));
                Feed(i + 1 < pieces ? "+X\r\n" : "\r\nOK\r\n");
            }
        });
        Stopwatch watch;
        const std::int32_t result = m_modem.WaitResult();
        feeder.join();
        ASSERT_EQ(result, 1) << "round " << round;
        ASSERT_LT(watch.ElapsedMs(), 400) << "round " << round;
    }
}

// The window may start a command while a ring handler still runs on the reader thread; the idle
// clean-up of that chunk must not switch the new command's collecting off.
TEST_F(Channel, CommandStartedDuringAHandlerKeepsItsAnswer) {
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

TEST(ChannelWithoutPort, CommandsReportZeroAtOnceAndShowNothing) {
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
        CModem modem{SetupCommands{u"AT+CLIP=1"}};
        if (row.start) {
            EXPECT_EQ(modem.Start(u"COM1:", 115200, nullptr), 0);
        }
        const auto messagesBefore = system.backend.Messages().size();
        Stopwatch watch;
        for (int poll = 0; poll < 10; ++poll) {
            EXPECT_EQ(modem.SendLine(u"AT+CMGR=1"), 0);
            EXPECT_EQ(modem.WaitResult(), 0);
            EXPECT_FALSE(modem.IsCollecting());
        }
        EXPECT_LT(watch.ElapsedMs(), 50);
        EXPECT_EQ(system.backend.Messages().size(), messagesBefore);
        EXPECT_EQ(system.backend.Written(), "");
    }
}

}  // namespace
