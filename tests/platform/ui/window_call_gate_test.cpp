#include "platform/ui/window_call_gate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "stopwatch.h"

using platform::ui::WindowCallGate;
using namespace std::chrono_literals;

namespace {

// Stands in for the window's event loop: a waker that only flags, and a loop that runs the
// pending calls whenever it was woken, until told to stop.
class FakeWindowThread {
public:
    explicit FakeWindowThread(WindowCallGate& gate) : m_gate(gate) {
        std::promise<void> opened;
        m_thread = std::thread([this, &opened] {
            m_gate.Open([this] { Wake(); });
            opened.set_value();
            Loop();
        });
        opened.get_future().wait();
    }
    ~FakeWindowThread() { Stop(false); }

    // Blocks the loop, as a modem command blocks the window's thread.
    void Block() { Post([this] { m_blocked = true; }); }
    void Unblock() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_blocked = false;
        m_wake.notify_all();
    }
    // Ends the loop; closing first, as a window does when it goes.
    void Stop(bool close) {
        Post([this, close] {
            if (close) {
                m_gate.Close();
            }
            m_stop = true;
        });
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    std::thread::id Id() const { return m_thread.get_id(); }

private:
    void Wake() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_woken = true;
        m_wake.notify_all();
    }
    void Post(std::function<void()> job) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_jobs.push_back(std::move(job));
        m_wake.notify_all();
    }
    void Loop() {
        std::unique_lock<std::mutex> lock(m_lock);
        while (!m_stop) {
            m_wake.wait(lock, [this] {
                return !m_jobs.empty() || (m_woken && !m_blocked) || m_stop;
            });
            std::vector<std::function<void()>> jobs;
            jobs.swap(m_jobs);
            lock.unlock();
            for (auto& job : jobs) {
                job();
            }
            lock.lock();
            // Decided after the jobs: one of them may just have blocked the loop.
            if (m_woken && !m_blocked) {
                m_woken = false;
                lock.unlock();
                m_gate.RunPending();
                lock.lock();
            }
        }
    }

    WindowCallGate& m_gate;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<std::function<void()>> m_jobs;
    bool m_woken = false;
    bool m_blocked = false;
    std::atomic<bool> m_stop{false};  // set by a job, which runs without the lock
    std::thread m_thread;
};

}  // namespace

TEST(WindowCallGate, CallRunsOnTheWindowThreadAndHasTakenEffectOnReturn) {
    WindowCallGate gate;
    FakeWindowThread window(gate);
    std::thread::id ranOn;
    int value = 0;
    EXPECT_TRUE(gate.Call([&] {
        ranOn = std::this_thread::get_id();
        value = 42;
    }));
    EXPECT_EQ(ranOn, window.Id());
    EXPECT_EQ(value, 42);  // read without a lock: the gate ordered it before the return
    window.Stop(true);
}

TEST(WindowCallGate, CallsFromOneThreadKeepTheirOrderUnderConcurrency) {
    WindowCallGate gate;
    FakeWindowThread window(gate);
    std::vector<int> seen;  // touched on the window thread only
    std::vector<std::thread> callers;
    for (int caller = 0; caller < 4; ++caller) {
        callers.emplace_back([&, caller] {
            for (int i = 0; i < 200; ++i) {
                gate.Call([&, caller, i] { seen.push_back(caller * 1000 + i); });
            }
        });
    }
    for (auto& caller : callers) {
        caller.join();
    }
    std::vector<int> last(4, -1);
    ASSERT_TRUE(gate.Call([&] {
        for (int entry : seen) {
            EXPECT_GT(entry % 1000, last[static_cast<std::size_t>(entry / 1000)]);
            last[static_cast<std::size_t>(entry / 1000)] = entry % 1000;
        }
    }));
    EXPECT_EQ(last, (std::vector<int>{199, 199, 199, 199}));
    window.Stop(true);
}

TEST(WindowCallGate, CallWaitsWhileTheWindowThreadIsBusy) {
    WindowCallGate gate;
    FakeWindowThread window(gate);
    window.Block();
    std::atomic<bool> returned{false};
    std::thread caller([&] {
        gate.Call([] {});
        returned = true;
    });
    std::this_thread::sleep_for(150ms);
    EXPECT_FALSE(returned.load());
    window.Unblock();
    caller.join();
    EXPECT_TRUE(returned.load());
    window.Stop(true);
}

TEST(WindowCallGate, CloseReleasesAWaitingCallWithoutRunningIt) {
    WindowCallGate gate;
    FakeWindowThread window(gate);
    window.Block();
    std::atomic<bool> ran{false};
    auto result = std::async(std::launch::async, [&] { return gate.Call([&] { ran = true; }); });
    std::this_thread::sleep_for(50ms);
    // The window closes while the call waits behind its busy thread.
    window.Stop(true);
    EXPECT_FALSE(result.get());
    EXPECT_FALSE(ran.load());
}

TEST(WindowCallGate, ClosedGateRefusesAtOnceOnEveryThread) {
    WindowCallGate gate;
    EXPECT_FALSE(gate.Call([] { ADD_FAILURE() << "ran on a gate never opened"; }));
    {
        FakeWindowThread window(gate);
        window.Stop(true);
    }
    const Stopwatch watch;
    EXPECT_FALSE(gate.Call([] { ADD_FAILURE() << "ran after close"; }));
    EXPECT_LT(watch.ElapsedMs(), 50);
    EXPECT_TRUE(gate.WaitForClose(10s));
}

TEST(WindowCallGate, WaitForCloseEndsEarlyOnCloseAndOtherwiseTimesOut) {
    WindowCallGate gate;
    FakeWindowThread window(gate);
    {
        const Stopwatch watch;
        EXPECT_FALSE(gate.WaitForClose(200ms));
        EXPECT_GE(watch.ElapsedMs(), 190);
    }
    auto waited = std::async(std::launch::async, [&] {
        const Stopwatch watch;
        const bool closed = gate.WaitForClose(5s);
        return std::make_pair(closed, watch.ElapsedMs());
    });
    std::this_thread::sleep_for(100ms);
    window.Stop(true);
    const auto [closed, elapsed] = waited.get();
    EXPECT_TRUE(closed);
    EXPECT_LT(elapsed, 1000);
}

TEST(WindowCallGate, ACallFromTheWindowThreadRunsInline) {
    WindowCallGate gate;
    FakeWindowThread window(gate);
    bool nestedRan = false;
    ASSERT_TRUE(gate.Call([&] {
        EXPECT_TRUE(gate.IsWindowThread());
        EXPECT_TRUE(gate.Call([&] { nestedRan = true; }));
    }));
    EXPECT_TRUE(nestedRan);
    EXPECT_FALSE(gate.IsWindowThread());
    window.Stop(true);
}
