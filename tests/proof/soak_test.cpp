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
#include "quillet/slot_read.h"
#include "recorded_messages.h"
#include "scripted_modem.h"

#ifndef MODEM_SOAK_DIVISOR
#define MODEM_SOAK_DIVISOR 1
#endif

namespace {

constexpr int kCycles = 4000 / MODEM_SOAK_DIVISOR;
// A leak of 8 bytes per cycle (a 32-byte heap block) over the cycles after the warm-up shows
// far above this.
constexpr std::int64_t kHeapGrowthBound = 48 * 1024;
// Resident memory moves in pages and with the allocator's caching: a coarser, second look.
constexpr std::int64_t kResidentGrowthBoundKiB = 1024;

// Before any thread exists, so the heap figure covers the reader and modem threads too.
const bool kOneArena = (OneHeapArena(), true);

std::u16string Number(int value) {
    return platform::Utf8ToUtf16(std::to_string(value));
}

// "AT+SOAK=<n>" gets ERROR for every fifth n and OK otherwise, so an answer that strayed into
// the next cycle would change that cycle's result. Slot 1 always holds a message whose text
// names how many deletes came before it. Runs on the modem's thread only.
Reply SoakAnswer(const std::string& line, int& deleted) {
    const std::string prefix = "AT+SOAK=";
    if (line == "AT+CMGR=1") {
        return Say(
            "\r\n+CMGR: \"REC READ\",\"+8613912345678\",,\"26/12/06,21:30:00+32\"\r\n"
            "soak " +
            std::to_string(deleted) + "\r\n\r\nOK\r\n");
    }
    deleted += line == "AT+CMGD=1" ? 1 : 0;
    const bool error = line.rfind(prefix, 0) == 0 && std::stoi(line.substr(prefix.size())) % 5 == 0;
    return Say(error ? "\r\nERROR\r\n" : "\r\nOK\r\n");
}

// One message read and delete every tenth cycle; a wrong cycle is any whose result differs.
TEST(Soak, CyclesKeepTheirOwnAnswersAndLeakNothing) {
    ASSERT_TRUE(kOneArena);
    RecordedMessages messages;
    int deleted = 0;
    ScriptedModem modem([&](const std::string& line) { return SoakAnswer(line, deleted); },
                        ModemOptions{false, true, false});  // padded, and no log that grows
    CModem channel{QuilletSetupCommands()};
    ASSERT_EQ(channel.Start(modem.DeviceName(), 115200, nullptr), 1);
    int wrong = 0;
    int firstWrong = -1;
    MemoryMark warm;  // once buffers are at full size and per-thread state is made
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        if (cycle == kCycles / 10) {
            warm = MemoryMark();
        }
        channel.SendLine(u"AT+SOAK=" + Number(cycle));
        bool right = channel.WaitResult() == (cycle % 5 == 0 ? 0 : 1);
        if (cycle % 10 == 0) {
            SlotRead read;
            channel.ReadSlot(1, read);
            right =
                right && read.answer == SlotAnswer::kMessage && read.sender == u"+8613912345678" &&
                read.text.text == u"soak " + Number(cycle / 10 - 1) && channel.DeleteSms(1) == 1;
        }
        firstWrong = right || firstWrong >= 0 ? firstWrong : cycle;
        wrong += right ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0) << "first wrong cycle: " << firstWrong;
    EXPECT_TRUE(GrewLessThan(warm, kHeapGrowthBound, kResidentGrowthBoundKiB));
    EXPECT_TRUE(channel.Response().empty());
    EXPECT_FALSE(channel.IsCollecting());
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
