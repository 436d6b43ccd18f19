// Garbage from the modem's side, a megabyte at a time, while the channel is idle and while a
// command waits: NUL bytes, bytes no code page maps, 64 KB lines without a line end, and result
// codes cut short ("O", "OK" without CR LF, "ERR", "\r\nERRO"). Nothing may crash, nothing may
// read as "OK", no event may come of it, and the memory must go back to what it was. (How one
// chunk's NULs and cut codes count is the channel's own test.)

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <random>

#include "channel_events.h"
#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "process_figures.h"
#include "quillet/modem_setup.h"
#include "quillet/slot_read.h"
#include "recorded_messages.h"

namespace {

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
        const std::size_t kind = below(40);
        if (kind == 0) {
            bytes.append(kLongLine, static_cast<char>('!' + below(90)));  // no CR LF
        } else if (kind < 4) {
            bytes.append(1 + below(64), '\0');
        } else if (kind < 7) {
            bytes.append(1 + below(64), static_cast<char>(0x80 + below(0x80)));
        } else {
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

class Flood : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kOneArena);
        m_simulator = modemsim::Simulator::Create();
        ASSERT_TRUE(m_simulator);
        ASSERT_EQ(
            m_channel.Start(platform::Utf8ToUtf16(m_simulator->DevicePath()), 115200, &m_events),
            1);
        m_channel.m_pfnEvent = &ChannelEvents::OnEvent;
    }

    RecordedMessages m_messages;
    std::unique_ptr<modemsim::Simulator> m_simulator;
    ChannelEvents m_events;
    CModem m_channel{QuilletSetupCommands()};
};

// Each row floods once, while the channel is idle or while a command waits. The flood's end mark
// then brings one ring and nothing else, and leaves a clean channel.
TEST_F(Flood, NothingReadsAsACodeWaitingCommandsFailAndTheMemoryComesBack) {
    const struct {
        const char* name;
        std::function<std::int32_t(CModem&)> run;  // empty: idle
    } rows[] = {
        {"idle", nullptr},
        {"plain command", [](CModem& c) { return c.DeleteSms(1); }},
        {"message read",
         [](CModem& c) {
             SlotRead read;
             c.ReadSlot(1, read);
             return read.answer == SlotAnswer::kMessage ? 1 : 0;
         }},
        {"message send", [](CModem& c) { return c.SendSms(u"+8613912345678", u"hi"); }},
    };
    m_simulator->SetSilent(true);  // the modem answers nothing: only the garbage comes
    const MemoryMark before;
    unsigned seed = 1;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_simulator->InjectRaw(WithEndMark(Garbage(kFloodBytes, seed++)));
        if (row.run) {
            EXPECT_EQ(row.run(m_channel), 0);
        }
        ASSERT_TRUE(m_events.WaitFor(1, kFloodLimit));
        EXPECT_EQ(m_events.Take(), (std::vector<ChannelEvent>{{EVT_RING, u""}}));
        EXPECT_FALSE(m_channel.IsCollecting());
        EXPECT_TRUE(m_channel.Response().empty());
    }
    m_simulator->SetSilent(false);
    m_channel.SendLine(u"AT");
    EXPECT_EQ(m_channel.WaitResult(), 1);
    EXPECT_TRUE(GrewLessThan(before, kHeapGrowthBound, kResidentGrowthBoundKiB));
    EXPECT_TRUE(m_messages.texts.empty());
}

}  // namespace
