// Long runs of the command channel on a real pseudo-terminal: thousands of command cycles and of
// message read/delete cycles must neither leak nor let one cycle's answer reach the next. Every
// part of a command is soaked except the wait for the port's 100 ms read interval: the modem
// pads each answer to whole reads, which end at once.
//
// AddressSanitizer's leak check at exit sees a leak; the plain build checks memory instead:
// after a warm-up, neither the heap in use nor the resident size may grow beyond a bound.
// MODEM_SOAK_DIVISOR=N (a compile definition) runs an N-th of the cycles on a slow machine.

#include <gtest/gtest.h>

#include <string>

#include "modemlink/modem.h"
#include "platform/core/codepage.h"
#include "process_figures.h"
#include "quillet/modem_setup.h"
#include "recorded_messages.h"
#include "scripted_modem.h"

#ifndef MODEM_SOAK_DIVISOR
#define MODEM_SOAK_DIVISOR 1
#endif

namespace {

constexpr int kCommandCycles = 4000 / MODEM_SOAK_DIVISOR;
constexpr int kMessageCycles = 400 / MODEM_SOAK_DIVISOR;
// A leak of 8 bytes per command cycle (a 32-byte heap block) over the cycles after the warm-up
// shows far above this.
constexpr std::int64_t kHeapGrowthBound = 48 * 1024;
// Resident memory moves in pages and with the allocator's caching: a coarser, second look.
constexpr std::int64_t kResidentGrowthBoundKiB = 1024;

// Before any thread exists, so the heap figure covers the reader and modem threads too.
const bool kOneArena = (OneHeapArena(), true);

std::u16string Number(int value) {
    return platform::Utf8ToUtf16(std::to_string(value));
}

// Padded answers, no log: a long run grows nothing in the modem.
constexpr ModemOptions kSoakModem{false, true, false};

// "AT+SOAK=<n>" gets ERROR for every fifth n and OK otherwise, so an answer that strayed into
// the next cycle would change that cycle's result.
Reply SoakAnswer(const std::string& line) {
    const std::string prefix = "AT+SOAK=";
    const bool error = line.rfind(prefix, 0) == 0 && std::stoi(line.substr(prefix.size())) % 5 == 0;
    return Say(error ? "\r\nERROR\r\n" : "\r\nOK\r\n");
}

// Slot 1 always holds a message whose text names how many deletes came before it. Runs on the
// modem's thread only.
Reply MessageSlotAnswer(const std::string& line, int& deleted) {
    if (line == "AT+CMGR=1") {
        return Say("\r\n+CMGR: \"REC READ\",\"+8613912345678\",,\"26/12/06,21:30:00+32\"\r\n"
                   "soak " +
                   std::to_string(deleted) + "\r\n\r\nOK\r\n");
    }
    deleted += line == "AT+CMGD=1" ? 1 : 0;
    return Say("\r\nOK\r\n");
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(kOneArena); }

    void Start(ScriptedModem& modem) {
        ASSERT_EQ(m_channel.Start(modem.DeviceName(), 115200, this), 1);
    }

    // Memory in use once the run has warmed up (buffers at full size, per-thread state made).
    void MarkWarm() { m_warm = MemoryMark(); }

    void ExpectNoGrowthSinceWarm() {
        EXPECT_TRUE(GrewLessThan(m_warm, kHeapGrowthBound, kResidentGrowthBoundKiB));
        EXPECT_TRUE(m_channel.Response().empty());
        EXPECT_FALSE(m_channel.IsCollecting());
        EXPECT_TRUE(m_messages.texts.empty());
    }

    RecordedMessages m_messages;
    CModem m_channel{QuilletSetupCommands()};
    MemoryMark m_warm;
};

TEST_F(Soak, CommandCyclesKeepTheirOwnAnswersAndLeakNothing) {
    ScriptedModem modem(SoakAnswer, kSoakModem);
    Start(modem);
    int wrong = 0;
    int firstWrong = -1;
    for (int cycle = 1; cycle <= kCommandCycles; ++cycle) {
        if (cycle == kCommandCycles / 10) {
            MarkWarm();
        }
        m_channel.SendLine(u"AT+SOAK=" + Number(cycle));
        const std::int32_t expected = cycle % 5 == 0 ? 0 : 1;
        if (m_channel.WaitResult() != expected) {
            firstWrong = firstWrong < 0 ? cycle : firstWrong;
            ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0) << "first wrong cycle: " << firstWrong;
    ExpectNoGrowthSinceWarm();
}

TEST_F(Soak, MessageReadDeleteCyclesReadEachMessageOnceAndLeakNothing) {
    int deleted = 0;
    ScriptedModem modem([&](const std::string& line) { return MessageSlotAnswer(line, deleted); },
                        kSoakModem);
    Start(modem);
    int wrong = 0;
    int firstWrong = -1;
    for (int cycle = 0; cycle < kMessageCycles; ++cycle) {
        if (cycle == kMessageCycles / 10) {
            MarkWarm();
        }
        std::u16string number;
        std::u16string text;
        const bool read = m_channel.ReadSms(1, number, text) == 1;
        const bool right = read && number == u"+8613912345678" && text == u"soak " + Number(cycle);
        if (!right || m_channel.DeleteSms(1) != 1) {
            firstWrong = firstWrong < 0 ? cycle : firstWrong;
            ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0) << "first wrong cycle: " << firstWrong;
    ExpectNoGrowthSinceWarm();
}

}  // namespace
