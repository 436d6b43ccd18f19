#include "platform/fake/test_clock.h"

#include <algorithm>
#include <cstdio>

namespace platform {
namespace {

// Far from the clock's zero, so that no time point a test computes is mistaken for "none".
constexpr TimePoint kVirtualStart = TimePoint{} + std::chrono::hours(1000);
// A thread that takes part and stays busy this long while others wait in virtual time is stuck
// (or spins): said once on stderr, since the test would otherwise hang without a word.
constexpr auto kStuckAfter = std::chrono::seconds(20);

}  // namespace

TestClock::TestClock(TestTime time)
    : m_virtual(time == TestTime::kVirtual),
      m_now(kVirtualStart),
      m_busy(1),
      m_takingPart{std::this_thread::get_id()} {
    Enlist();
    m_actionThread = std::thread([this] { RunActions(); });
}

TestClock::~TestClock() {
    Stop();
}

void TestClock::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stopping = true;
        Changed();
    }
    if (m_actionThread.joinable()) {
        m_actionThread.join();
    }
}

TimePoint TestClock::Now() {
    std::lock_guard<std::mutex> lock(m_lock);
    return NowLocked();
}

TimePoint TestClock::NowLocked() const {
    return m_virtual ? m_now : Clock::now();
}

bool TestClock::TakesPart() const {
    return m_takingPart.count(std::this_thread::get_id()) > 0;
}

bool TestClock::Wait(std::unique_lock<std::mutex>& lock, TimePoint deadline, const Ready& ready) {
    if (!m_virtual) {
        return WaitReal(lock, deadline, ready);
    }
    const bool takesPart = TakesPart();
    for (;;) {
        if (ready()) {
            return true;
        }
        if (m_now >= deadline) {
            return false;
        }
        Waiter waiter(ready, deadline, takesPart);
        Block(lock, waiter);
    }
}

void TestClock::Block(std::unique_lock<std::mutex>& lock, Waiter& waiter) {
    const auto entry = m_waiters.insert(m_waiters.end(), &waiter);
    if (waiter.takesPart) {
        --m_busy;
    }
    MoveOnWhileIdle();
    bool told = false;
    while (!waiter.woken) {
        if (!waiter.wake.wait_for(lock, kStuckAfter, [&] { return waiter.woken; }) && !told &&
            waiter.deadline != TimePoint::max()) {
            std::fprintf(stderr, "test clock: %d thread(s) stay busy; virtual time stands\n",
                         m_busy);
            told = true;
        }
    }
    m_waiters.erase(entry);
}

bool TestClock::WaitReal(std::unique_lock<std::mutex>& lock, TimePoint deadline,
                         const Ready& ready) {
    // wait_until would overflow converting the largest time point.
    if (deadline == TimePoint::max()) {
        m_realChange.wait(lock, ready);
        return true;
    }
    return m_realChange.wait_until(lock, deadline, ready);
}

void TestClock::Changed() {
    if (!m_virtual) {
        m_realChange.notify_all();
        return;
    }
    for (Waiter* waiter : m_waiters) {
        if (!waiter->woken && (*waiter->ready)()) {
            Wake(*waiter);
        }
    }
}

void TestClock::Wake(Waiter& waiter) {
    waiter.woken = true;
    if (waiter.takesPart) {
        ++m_busy;
    }
    waiter.wake.notify_one();
}

void TestClock::MoveOnWhileIdle() {
    while (m_busy == 0) {
        TimePoint next = TimePoint::max();
        for (const Waiter* waiter : m_waiters) {
            if (!waiter->woken) {
                next = std::min(next, waiter->deadline);
            }
        }
        for (const Action& action : m_actions) {
            next = std::min(next, action.due);
        }
        if (next == TimePoint::max()) {
            return;  // everyone waits for something only another thread can bring
        }
        m_now = std::max(m_now, next);
        for (Waiter* waiter : m_waiters) {
            if (!waiter->woken && waiter->deadline <= m_now) {
                Wake(*waiter);
            }
        }
        TakeDueActions(m_now);
        Changed();  // the clock's thread now has actions to run
    }
}

void TestClock::TakeDueActions(TimePoint now) {
    const auto due = std::stable_partition(m_actions.begin(), m_actions.end(),
                                           [now](const Action& a) { return a.due <= now; });
    m_due.insert(m_due.end(), m_actions.begin(), due);
    m_actions.erase(m_actions.begin(), due);
}

void TestClock::Advance(std::chrono::milliseconds duration) {
    static const Ready never = [] { return false; };
    std::unique_lock<std::mutex> lock(m_lock);
    if (!m_virtual) {
        WaitReal(lock, Clock::now() + duration, never);
        return;
    }
    // Even for no time at all: until every other thread that takes part waits.
    Waiter waiter(never, m_now + duration, TakesPart());
    Block(lock, waiter);
}

void TestClock::At(std::chrono::milliseconds delay, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_actions.push_back(Action{NowLocked() + delay, m_nextOrder++, std::move(action)});
    if (!m_virtual) {
        m_realChange.notify_all();
    } else {
        MoveOnWhileIdle();  // given by a thread that does not take part, while all others wait
    }
}

void TestClock::Enlist() {
    std::lock_guard<std::mutex> lock(m_lock);
    ++m_busy;
}

void TestClock::Join() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_takingPart.insert(std::this_thread::get_id());
}

void TestClock::Leave() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_takingPart.erase(std::this_thread::get_id());
    --m_busy;
    if (m_virtual) {
        MoveOnWhileIdle();
    }
}

void TestClock::RunActions() {
    Join();
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_stopping) {
        if (m_virtual) {
            Wait(lock, TimePoint::max(), [this] { return !m_due.empty() || m_stopping; });
        } else {
            TimePoint next = TimePoint::max();
            for (const Action& action : m_actions) {
                next = std::min(next, action.due);
            }
            const std::uint64_t given = m_nextOrder;
            WaitReal(lock, next,
                     [&] { return m_stopping || m_nextOrder != given || next <= Clock::now(); });
            TakeDueActions(Clock::now());
        }
        if (m_stopping) {
            break;
        }
        std::vector<Action> run = std::move(m_due);
        m_due.clear();
        std::stable_sort(run.begin(), run.end(),
                         [](const Action& a, const Action& b) { return a.due < b.due; });
        lock.unlock();
        for (Action& action : run) {
            action.run();
        }
        lock.lock();
    }
    lock.unlock();
    Leave();
}

}  // namespace platform
