// The channel when the modem is pulled off the line under it: the device is hung up. The channel
// notices at once: a command waiting then ends, later commands fail (0) without writing or
// waiting, one event says so, no message shows, and the reader rests instead of spinning. When the
// device comes back, the channel starts on it again.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include <unistd.h>

#include "channel_events.h"
#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "process_figures.h"
#include "quillet/modem_setup.h"
#include "quillet/slot_read.h"
#include "recorded_messages.h"
#include "stopwatch.h"

namespace {

TEST(UnplugLink, CommandsFailAtOnceOnceTheDeviceHasGone) {
    RecordedMessages messages;
    auto simulator = modemsim::Simulator::Create();
    ASSERT_TRUE(simulator);
    // Both programs' commands run on one channel: the message program's set-up includes the
    // dialer's.
    ChannelEvents events;
    auto channel = std::make_unique<CModem>(QuilletSetupCommands());
    ASSERT_EQ(channel->Start(platform::Utf8ToUtf16(simulator->DevicePath()), 115200, &events), 1);
    channel->m_pfnEvent = &ChannelEvents::OnEvent;
    // Commands whose answers would otherwise be waited for: 2 s of silence, the whole send, 500 ms.
    const struct {
        const char* name;
        std::function<std::int32_t(CModem&)> run;
    } rows[] = {
        {"ReadSlot",
         [](CModem& c) {
             SlotRead read;
             c.ReadSlot(1, read);
             return read.answer == SlotAnswer::kMessage ? 1 : 0;
         }},
        {"SendSms", [](CModem& c) { return c.SendSms(u"+8613912345678", u"hello"); }},
        {"Dial", [](CModem& c) { return c.Dial(u"13912345678"); }},
    };
    // A command waiting when the device goes ends at once.
    simulator->SetSilent(true);
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        simulator->Unplug();
    });
    const Stopwatch waiting;
    EXPECT_EQ(channel->SendSms(u"+8613912345678", u"hello"), 0);
    unplug.join();
    EXPECT_GE(waiting.ElapsedMs(), 250);
    EXPECT_LT(waiting.ElapsedMs(), 600);
    const double cpuBefore = ProcessCpuMs();
    const Stopwatch all;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Stopwatch watch;
        EXPECT_EQ(row.run(*channel), 0);
        EXPECT_LT(watch.ElapsedMs(), 50);
        EXPECT_FALSE(channel->IsCollecting());
        EXPECT_TRUE(channel->Response().empty());
    }
    // Below 2 % of one core for all threads together: a reader retrying failed reads at once
    // would take a whole core.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 0.02 * static_cast<double>(all.ElapsedMs()));
    EXPECT_EQ(events.Take(), (std::vector<ChannelEvent>{{EVT_MODEM_LOST, u""}}));
    // The channel goes the way a closing window takes it: port closed, reader thread joined.
    const Stopwatch closing;
    channel.reset();
    EXPECT_LT(closing.ElapsedMs(), 1000);
    EXPECT_TRUE(messages.texts.empty());
}

// A modem that resets comes back under the same path. While nothing is there the channel looks
// quietly and at once; once the path opens again, the whole start-up runs on it and commands work.
// The cycles leave no descriptor or thread behind (the windows go through 20: tests/quillet).
TEST(UnplugLink, ComesBackOnTheSamePathWithNothingLeftBehind) {
    RecordedMessages messages;
    const std::filesystem::path link =
        std::filesystem::temp_directory_path() / ("modem-link-" + std::to_string(::getpid()));
    auto simulator = modemsim::Simulator::Create();
    ASSERT_TRUE(simulator);
    std::filesystem::create_symlink(simulator->DevicePath(), link);
    ChannelEvents events;
    CModem channel(QuilletSetupCommands());
    ASSERT_EQ(channel.Start(platform::Utf8ToUtf16(link.string()), 115200, &events), 1);
    channel.m_pfnEvent = &ChannelEvents::OnEvent;
    EXPECT_EQ(channel.Reconnect(), 1);  // nothing gone: nothing to do
    const int descriptors = OpenDescriptors();
    const int threads = ThreadCount();
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        simulator->Unplug();
        std::filesystem::remove(link);
        ASSERT_TRUE(events.WaitFor(1, std::chrono::seconds(2)));
        EXPECT_EQ(events.Take(), (std::vector<ChannelEvent>{{EVT_MODEM_LOST, u""}}));
        const Stopwatch look;
        EXPECT_EQ(channel.Reconnect(), 0);
        EXPECT_EQ(channel.IsLost(), 1);
        EXPECT_LT(look.ElapsedMs(), 500);  // the gone port's reader ends; the open fails at once
        simulator = modemsim::Simulator::Create();
        ASSERT_TRUE(simulator);
        std::filesystem::create_symlink(simulator->DevicePath(), link);
        // Back before its modem answers (a module still booting): each look costs no wait.
        simulator->SetSilent(true);
        for (int silent = 0; silent < 3; ++silent) {
            const Stopwatch quick;
            EXPECT_EQ(channel.Reconnect(), 0);
            EXPECT_LT(quick.ElapsedMs(), 50);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        simulator->SetSilent(false);
        int looks = 1;
        while (channel.Reconnect() == 0 && looks < 5) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ++looks;
        }
        EXPECT_LE(looks, 2);  // the "AT" of one look is answered by the next
        EXPECT_EQ(channel.IsLost(), 0);
        EXPECT_TRUE(simulator->Snapshot().settings.textMode);  // the program's list ran again
        ASSERT_EQ(channel.SendLine(u"AT"), 1);
        EXPECT_EQ(channel.WaitResult(), 1);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_TRUE(messages.texts.empty());
    std::filesystem::remove(link);
}

}  // namespace
