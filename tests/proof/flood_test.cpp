// Garbage from the modem's side, a megabyte at a time, while the channel is idle and while a
// command waits: NUL bytes, bytes no code page maps, 64 KB lines without a line end, and result
// codes cut short ("O", "OK" without CR LF, "ERR", "\r\nERRO"). Nothing may crash, nothing may
// read as "OK", no event may come of it, and the memory must go back to what it was.

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <random>
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

constexpr std::size_t kFloodBytes = 1024 * 1024;
constexpr std::size_t kLongLine = 64 * 1024;
// The answer buffer may keep its capacity (64 Ki UTF-16 units); a flood held anywhere would
// need several times this.
constexpr std::int64_t kHeapGrowthBound = 512 * 1024;
constexpr std::int64_t kResidentGrowthBoundKiB = 16 * 1024;
// Sanitizer builds read a megabyte many times slower than the plain one.
constexpr std::chrono::seconds kFloodLimit{60};

// Before any thread exists, so the heap figure covers the reader thread's allocations too.
const bool kOneArena = (OneHeapArena(), true);

// Byte runs that would be a final result or an unsolicited code, or the prompt of a send.
const char* const kMeaningful[] = {"OK\r\n", "ok\r\n",     "ERROR\r\n",  "error\r\n", "RING",
                                   "ring",   "NO CARRIER", "no carrier", ">"};

// Breaks every meaningful run by changing its first byte.
void Defuse(std::string& bytes) {
    for (const char* code : kMeaningful) {
        for (std::size_t at = bytes.find(code); at != std::string::npos;
             at = bytes.find(code, at + 1)) {
            bytes[at] = '#';
        }
    }
}

std::string Garbage(std::size_t size, unsigned seed) {
    static const char* const kHalfCodes[] = {"O",         "OK",    "ok",    "ERR",     "\r\nERRO",
                                             "OK\r",      "\r\nO", "ERROR", "error\r", "RIN",
                                             "NO CARRIE", "\r\n",  "\r",    "\n"};
    std::mt19937 random(seed);
    const auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::string bytes;
    while (bytes.size() < size) {
        switch (below(40)) {
            case 0:
                for (std::size_t i = 0; i < kLongLine; ++i) {
                    bytes.push_back(static_cast<char>('!' + below(90)));  // printable, no CR LF
                }
                break;
            case 1:
            case 2:
            case 3:
                bytes.append(1 + below(64), '\0');
                break;
            case 4:
            case 5:
            case 6:
                for (std::size_t n = 1 + below(64); n > 0; --n) {
                    bytes.push_back(static_cast<char>(0x80 + below(0x80)));
                }
                break;
            default:
                bytes += kHalfCodes[below(std::size(kHalfCodes))];
        }
    }
    bytes.resize(size);
    Defuse(bytes);
    return bytes;
}

// After the garbage: plain text longer than a read, then a ring on its own, so the ring's event
// tells that the whole flood has been read.
std::string WithEndMark(std::string garbage) {
    return garbage + std::string(2048, 'x') + "\r\nRING\r\n";
}

class Events {
public:
    static void OnEvent(void* owner, std::int32_t code, std::u16string) {
        auto* self = static_cast<Events*>(owner);
        std::lock_guard<std::mutex> lock(self->m_lock);
        self->m_codes.push_back(code);
        self->m_changed.notify_all();
    }
    bool WaitFor(std::size_t count, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, limit, [&] { return m_codes.size() >= count; });
    }
    std::vector<std::int32_t> Take() {
        std::lock_guard<std::mutex> lock(m_lock);
        return std::exchange(m_codes, {});
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::int32_t> m_codes;
};

class Flood : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kOneArena);
        m_simulator = modemsim::Simulator::Create();
        ASSERT_TRUE(m_simulator);
        ASSERT_EQ(
            m_channel.Start(platform::Utf8ToUtf16(m_simulator->DevicePath()), 115200, &m_events),
            1);
        m_channel.m_pfnEvent = &Events::OnEvent;
    }

    // Once the flood's end mark has come: one ring and nothing else, and a clean channel.
    void ExpectFloodReadToTheEnd() {
        ASSERT_TRUE(m_events.WaitFor(1, kFloodLimit));
        EXPECT_EQ(m_events.Take(), std::vector<std::int32_t>{EVT_RING});
        EXPECT_FALSE(m_channel.IsCollecting());
        EXPECT_TRUE(m_channel.Response().empty());
    }

    void MarkMemory() {
        m_heapBefore = HeapInUseBytes();
        m_residentBefore = ResidentKiB();
    }

    void ExpectMemoryBack() {
        const std::optional<std::int64_t> heap = HeapInUseBytes();
        if (m_heapBefore && heap) {
            EXPECT_LT(*heap - *m_heapBefore, kHeapGrowthBound);
        }
        const std::optional<std::int64_t> resident = ResidentKiB();
        if (m_residentBefore && resident) {
            EXPECT_LT(*resident - *m_residentBefore, kResidentGrowthBoundKiB);
        }
    }

    std::vector<std::u16string> m_messages;
    platform::ScopedMessageSink m_sink{
        [this](const std::u16string& text) { m_messages.push_back(text); }};
    std::unique_ptr<modemsim::Simulator> m_simulator;
    Events m_events;
    CModem m_channel{QuilletSetupCommands()};
    std::optional<std::int64_t> m_heapBefore;
    std::optional<std::int64_t> m_residentBefore;
};

TEST_F(Flood, WhileIdleItLeavesNoTraceAndTheNextCommandWorks) {
    MarkMemory();
    m_simulator->InjectRaw(WithEndMark(Garbage(kFloodBytes, 1)));
    ExpectFloodReadToTheEnd();
    m_channel.SendLine(u"AT");
    EXPECT_EQ(m_channel.WaitResult(), 1);
    EXPECT_TRUE(m_channel.Response().empty());
    ExpectMemoryBack();
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(Flood, WaitingCommandFailsAndNothingReadsAsOk) {
    const struct {
        const char* name;
        std::function<std::int32_t(CModem&)> run;
    } rows[] = {
        {"plain command", [](CModem& c) { return c.DeleteSms(1); }},
        {"message read",
         [](CModem& c) {
             std::u16string number;
             std::u16string text;
             return c.ReadSms(1, number, text);
         }},
        {"message send", [](CModem& c) { return c.SendSms(u"+8613912345678", u"hi"); }},
        {"call", [](CModem& c) { return c.Dial(u"13912345678"); }},
    };
    m_simulator->SetSilent(true);  // the modem answers nothing: only the garbage comes
    MarkMemory();
    unsigned seed = 2;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_simulator->InjectRaw(WithEndMark(Garbage(kFloodBytes, seed++)));
        EXPECT_EQ(row.run(m_channel), 0);
        ExpectFloodReadToTheEnd();
    }
    m_simulator->SetSilent(false);
    m_channel.SendLine(u"AT");
    EXPECT_EQ(m_channel.WaitResult(), 1);
    ExpectMemoryBack();
    EXPECT_TRUE(m_messages.empty());
}

// Pieces far enough apart to reach the channel as chunks of their own.
struct Piece {
    std::string bytes;
    int afterMs;
};

TEST_F(Flood, CodesCutShortOrSplitByNulsAreNoResult) {
    const std::string nul(1, '\0');
    std::string halfCodes;
    while (halfCodes.size() < 16 * 1024) {
        halfCodes += "\r\nERRO" + nul + "OK" + nul + "\r\nO" + "\xFF\xFE" + "ERR" + "OK";
    }
    Defuse(halfCodes);  // "...OK" before the next "\r\nERRO" would be a real OK
    // Gaps above the read interval, so each piece ends a read: a chunk of NULs every 150 ms.
    std::vector<Piece> nulStream;
    for (int i = 0; i < 14; ++i) {
        nulStream.push_back({std::string(8, '\0'), 150});
    }
    const struct {
        const char* name;
        std::vector<Piece> pieces;
        std::int32_t result;
        long long maxMs;
    } rows[] = {
        {"OK without its line end", {{"\r\nOK", 0}}, 0, 900},
        {"line end after a NUL in the same chunk",
         {{"\r\nOK" + nul + "junk", 0}, {"\r\n", 200}},
         0,
         1100},
        {"line end after a chunk of NULs",
         {{"\r\nOK", 0}, {nul + nul, 200}, {"\r\n", 200}},
         0,
         1300},
        {"NULs alone do not keep the command waiting", nulStream, 0, 1200},
        {"a real OK after the garbage still counts", {{halfCodes, 0}, {"\r\nOK\r\n", 200}}, 1, 900},
    };
    m_simulator->SetSilent(true);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_channel.SendLine(u"AT");
        std::thread modem([&] {
            for (const Piece& piece : row.pieces) {
                std::this_thread::sleep_for(std::chrono::milliseconds(piece.afterMs));
                m_simulator->InjectRaw(piece.bytes);
            }
        });
        const Stopwatch watch;
        EXPECT_EQ(m_channel.WaitResult(), row.result);
        EXPECT_LT(watch.ElapsedMs(), row.maxMs);
        modem.join();
        std::this_thread::sleep_for(200ms);  // what is left arrives while idle
        EXPECT_TRUE(m_channel.Response().empty());
    }
    EXPECT_TRUE(m_events.Take().empty());
}

}  // namespace
