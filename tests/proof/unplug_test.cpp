// The channel when the modem is pulled off the line under it: the device is hung up, every read
// fails at once. Commands must fail (0) by their own time-out, without a message and without
// crashing, while the reader rests instead of spinning.

#include <gtest/gtest.h>

#include <functional>

#include "modemlink/modem.h"
#include "modemsim/simulator.h"
#include "platform/core/codepage.h"
#include "process_figures.h"
#include "quillet/modem_setup.h"
#include "recorded_messages.h"
#include "stopwatch.h"

namespace {

// The answer of a command still on its way arrives 100 ms after its last byte.
constexpr long long kSlackMs = 400;

TEST(UnplugLink, CommandsFailAtTheirTimeOutWhileTheReaderRests) {
    RecordedMessages messages;
    auto simulator = modemsim::Simulator::Create();
    ASSERT_TRUE(simulator);
    // Both programs' commands run on one channel: the message program's set-up includes the
    // dialer's.
    auto channel = std::make_unique<CModem>(QuilletSetupCommands());
    ASSERT_EQ(channel->Start(platform::Utf8ToUtf16(simulator->DevicePath()), 115200, nullptr), 1);
    // One command per distinct time-out: a send's prompt waits 2 s of silence, a call 500 ms.
    const struct {
        const char* name;
        std::function<std::int32_t(CModem&)> run;
        long long timeoutMs;
    } rows[] = {
        {"SendSms", [](CModem& c) { return c.SendSms(u"+8613912345678", u"hello"); }, 2000},
        {"Dial", [](CModem& c) { return c.Dial(u"13912345678"); }, 500},
    };
    simulator->Unplug();
    const double cpuBefore = ProcessCpuMs();
    const Stopwatch all;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Stopwatch watch;
        EXPECT_EQ(row.run(*channel), 0);
        EXPECT_GE(watch.ElapsedMs(), row.timeoutMs - 50);
        EXPECT_LT(watch.ElapsedMs(), row.timeoutMs + kSlackMs);
        EXPECT_FALSE(channel->IsCollecting());
        EXPECT_TRUE(channel->Response().empty());
    }
    // Below 2 % of one core for all threads together: a reader retrying failed reads at once
    // would take a whole core.
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 0.02 * static_cast<double>(all.ElapsedMs()));
    // The channel goes the way a closing window takes it: port closed, reader thread joined.
    const Stopwatch closing;
    channel.reset();
    EXPECT_LT(closing.ElapsedMs(), 1000);
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
