#include "platform/ui/window_call_gate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "stopwatch.h"

using platform::ui::WindowCallGate;
using namespace std::chrono_literals;

namespace {

// Stands in for the window's thread: runs what is posted to it, in order; the gate's waker posts
// a run of the pending calls. Block() holds the thread as a modem command holds the window's.
class FakeWindowThread {
public:
    explicit FakeWindowThread(WindowCallGate& gate) : m_gate(gate) {
        std::promise<void> opened;
        m_thread = std::thread([this, &opened] {
            m_gate.Open([this] { Post([this] { m_gate.RunPending(); }); });
            opened.set_value();
            Loop();
        });
        opened.get_future().wait();
    }
    ~FakeWindowThread() { Stop(); }

    void Block() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_blocked = true;
        m_jobs.push_back([this] {
            std::unique_lock<std::mutex> held(m_lock);
            m_changed.wait(held, [this] { return !m_blocked; });
        });
        m_changed.notify_all();
    }
    void Unblock() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_blocked = false;
        m_changed.notify_all();
    }
    // The window closes, even while its thread is held, and the thread ends.
    void Stop() {
        m_gate.Close();
        Unblock();
        Post([this] { m_stop = true; });
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    std::thread::id Id() const { return m_thread.get_id(); }

private:
    void Post(std::function<void()> job) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_jobs.push_back(std::move(job));
        m_changed.notify_all();
    }
    void Loop() {
        while (!m_stop) {
            std::unique_lock<std::mutex> lock(m_lock);
            m_changed.wait(lock, [this] { return !m_jobs.empty(); });
            std::function<void()> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
        }
    }

    WindowCallGate& m_gate;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_jobs;
    bool m_blocked = false;
    bool m_stop = false;  // the thread's own
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
    window.Stop();
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
    window.Stop();
}

// A call waits behind the window's busy thread until it is free, or until the window closes:
// then it returns false without running.
TEST(WindowCallGate, CallWaitsWhileTheWindowThreadIsBusyUntilFreeOrClosed) {
    WindowCallGate gate;
    FakeWindowThread window(gate);
    window.Block();
    auto first = std::async(std::launch::async, [&] { return gate.Call([] {}); });
    EXPECT_EQ(first.wait_for(150ms), std::future_status::timeout);
    window.Unblock();
    EXPECT_TRUE(first.get());
    window.Block();
    std::atomic<bool> ran{false};
    auto second = std::async(std::launch::async, [&] { return gate.Call([&] { ran = true; }); });
    std::this_thread::sleep_for(50ms);
    window.Stop();
    EXPECT_FALSE(second.get());
    EXPECT_FALSE(ran.load());
}

// A post returns at once while the window's thread is held (as the serial reader must), then runs
// in order with the calls; once closed, posts are refused and never run.
TEST(WindowCallGate, PostDoesNotWaitAndKeepsItsPlaceInTheOrder) {
    WindowCallGate gate;
    FakeWindowThread window(gate);
    std::vector<int> seen;  // touched on the window thread only
    window.Block();
    const Stopwatch watch;
    EXPECT_TRUE(gate.Post([&] { seen.push_back(1); }));
    EXPECT_LT(watch.ElapsedMs(), 50);
    auto call =
        std::async(std::launch::async, [&] { return gate.Call([&] { seen.push_back(2); }); });
    std::this_thread::sleep_for(50ms);
    window.Unblock();
    EXPECT_TRUE(call.get());
    ASSERT_TRUE(gate.Call([&] { EXPECT_EQ(seen, (std::vector<int>{1, 2})); }));
    window.Stop();
    EXPECT_FALSE(gate.Post([] { ADD_FAILURE() << "ran after close"; }));
}

TEST(WindowCallGate, ClosedGateRefusesAtOnceOnEveryThread) {
    WindowCallGate gate;
    EXPECT_FALSE(gate.Call([] { ADD_FAILURE() << "ran on a gate never opened"; }));
    {
        FakeWindowThread window(gate);
        window.Stop();
    }
    const Stopwatch watch;
    EXPECT_FALSE(gate.Call([] { ADD_FAILURE() << "ran after close"; }));
    EXPECT_LT(watch.ElapsedMs(), 50);
}
