// Termination signals as something to wait for: each one handed over, time-outs, cancels, and a
// signal the starter ignored left ignored.

#include "platform/core/termination_signal.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

void ExpectTook(const Stopwatch& watch, long long leastMs, long long mostMs) {
    EXPECT_GE(watch.ElapsedMs(), leastMs);
    EXPECT_LT(watch.ElapsedMs(), mostMs);
}

// Signals are raised at this thread, which the object has them blocked in, so they wait in the
// descriptor and nothing else in the test process sees them.
TEST(TerminationSignal, WaitGivesEachSignalThenTimesOutOrIsCancelled) {
    auto signals = platform::TerminationSignal::Create();
    ASSERT_NE(signals, nullptr);
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        std::raise(number);
        EXPECT_EQ(signals->Wait(), number);
    }
    Stopwatch watch;
    EXPECT_EQ(signals->Wait(150), 0);
    ExpectTook(watch, 130, 1500);

    std::thread canceller([&] {
        std::this_thread::sleep_for(100ms);
        signals->Cancel();
    });
    EXPECT_EQ(signals->Wait(), 0);
    canceller.join();
    signals->Cancel();
    signals->Cancel();  // two before the next Wait count as one
    EXPECT_EQ(signals->Wait(5000), 0);
    Stopwatch again;
    EXPECT_EQ(signals->Wait(100), 0);  // the cancels were used up
    ExpectTook(again, 80, 1500);
    std::raise(SIGTERM);  // left pending: destruction must discard it, not die of it
}

// Started under nohup: blocked, an ignored SIGHUP would be queued and handed over all the same.
TEST(TerminationSignal, ASignalInheritedAsIgnoredStaysIgnored) {
    std::signal(SIGHUP, SIG_IGN);
    {
        auto signals = platform::TerminationSignal::Create();
        ASSERT_NE(signals, nullptr);
        std::raise(SIGHUP);
        std::raise(SIGTERM);
        EXPECT_EQ(signals->Wait(), SIGTERM);
        EXPECT_EQ(signals->Wait(100), 0);
    }
    std::signal(SIGHUP, SIG_DFL);
}

}  // namespace
