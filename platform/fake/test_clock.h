#pragma once
// The test backend's clock and the one place where its threads wait. Every wait of the test
// backend (an event, a read, a thread's end, a sleep) is a wait here on a condition over the
// backend's state, which the clock's lock guards.
//
// Virtual time moves only when nothing can happen without it: when every thread that takes part
// waits, the clock jumps to the nearest deadline or scheduled action. Taking part are the thread
// that made the clock (the test's), the threads the backend starts (the port's reader) and the
// clock's own thread, which runs the actions of At. So a command that waits out a 500 ms silence
// returns at once with exactly 500 ms gone, after everything due before has run, and a test that
// computes or asserts never sees time pass under it. A thread the test starts itself does not take
// part: what it does comes whenever it comes (tests that need it run on real time).
//
// Real time (for tests of races between threads) waits on the steady clock instead; At then runs
// its action on the clock's thread after the real delay.
//
// Thread contract: every member may be called from any thread; Wait and Changed with Lock() held.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "platform/core/clock.h"

namespace platform {

enum class TestTime { kVirtual, kReal };

class TestClock {
public:
    using Ready = std::function<bool()>;

    explicit TestClock(TestTime time);
    ~TestClock();
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    bool IsVirtual() const { return m_virtual; }
    std::mutex& Lock() { return m_lock; }
    TimePoint Now();
    TimePoint NowLocked() const;  // with Lock() held

    // With Lock() held: until `ready` holds or the clock reaches `deadline` (TimePoint::max():
    // no deadline). True when ready.
    bool Wait(std::unique_lock<std::mutex>& lock, TimePoint deadline, const Ready& ready);
    // With Lock() held, after the state that waits look at has changed.
    void Changed();

    // The calling thread lets `duration` pass (in virtual time: everything due meanwhile runs,
    // and, even for no time at all, until every other thread that takes part waits).
    void Advance(std::chrono::milliseconds duration);
    // Runs `action` on the clock's thread once `delay` has passed from now. Actions due at the
    // same time run in the order they were given.
    void At(std::chrono::milliseconds delay, std::function<void()> action);

    // For the backend's threads: Enlist before the thread starts (it counts as busy from then
    // on), Join first thing on it, Leave last thing.
    void Enlist();
    void Join();
    void Leave();

    // Ends the clock's thread; actions not run by then are dropped. The owner calls it before
    // what the actions touch goes away; the destructor does it too.
    void Stop();

private:
    struct Waiter {
        Waiter(const Ready& r, TimePoint d, bool t) : ready(&r), deadline(d), takesPart(t) {}
        const Ready* ready;
        TimePoint deadline;
        bool takesPart;
        bool woken = false;
        std::condition_variable wake;
    };
    struct Action {
        TimePoint due;
        std::uint64_t order;
        std::function<void()> run;
    };

    bool TakesPart() const;
    // With the lock held: waits here until woken (by its condition or its deadline).
    void Block(std::unique_lock<std::mutex>& lock, Waiter& waiter);
    void Wake(Waiter& waiter);
    // With the lock held: while every taking part thread waits, time jumps to the next deadline.
    void MoveOnWhileIdle();
    // With the lock held: the actions due at `now` go to the clock's thread, in the order given.
    void TakeDueActions(TimePoint now);
    void RunActions();
    bool WaitReal(std::unique_lock<std::mutex>& lock, TimePoint deadline, const Ready& ready);

    const bool m_virtual;
    std::mutex m_lock;
    std::condition_variable m_realChange;  // real time: every waiter waits on this one
    TimePoint m_now;
    int m_busy = 0;  // threads that take part and do not wait here
    std::set<std::thread::id> m_takingPart;
    std::list<Waiter*> m_waiters;
    std::vector<Action> m_actions;  // scheduled
    std::vector<Action> m_due;      // handed to the clock's thread
    std::uint64_t m_nextOrder = 0;
    bool m_stopping = false;
    std::thread m_actionThread;  // last: starts once everything above exists
};

}  // namespace platform
