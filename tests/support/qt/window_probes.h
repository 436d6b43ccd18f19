#pragma once
// What window tests need beside the modal driver: the lines the simulated modem heard (from its
// trace), a close asked for from another thread the way a click on the close button asks while a
// handler runs, and the CPU the process takes while the window idles.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/dialog_window.h"
#include "trace_recorder.h"

// The lines the modem received, without their CR, in order.
std::vector<std::string> HeardLines(const TraceRecorder& trace);
// How many received lines hold `text`.
int HeardCount(const TraceRecorder& trace, const std::string& text);
// How long after `since` the modem first received a line holding `text`; -1 when it has not.
// Taken from the trace's own times, so a window's thread busy meanwhile does not count.
long long HeardAfterMs(const TraceRecorder& trace, const std::string& text,
                       std::chrono::steady_clock::time_point since);
// Waits until more than `seen` received lines hold `text`; false when the limit passed.
bool WaitHeardBeyond(const TraceRecorder& trace, const std::string& text, int seen,
                     std::chrono::milliseconds limit);

// Each new text a box of the dialog shows, until `upTo` have been seen or `limitMs` passed; the
// window's event loop runs meanwhile.
std::vector<std::u16string> TextsShown(CDialog& dialog, std::int32_t box, std::size_t upTo,
                                       int limitMs);

// The longest the window's thread went without turning its event loop while the probe lived: a
// 10 ms timer on that thread, its worst lateness. Made and read on the window's thread.
class StallProbe {
public:
    StallProbe();
    ~StallProbe();
    StallProbe(const StallProbe&) = delete;
    StallProbe& operator=(const StallProbe&) = delete;
    long long WorstMs() const { return m_worstMs; }

private:
    struct Timer;
    Timer* m_timer;
    long long m_worstMs = 0;
};

// From any thread: the close request waits in the window's event queue until its thread is free.
void RequestClose(platform::ui::DialogWindow& window);
// From any thread, the same way: a click on a button of the window.
void RequestClick(platform::ui::DialogWindow& window, std::int32_t controlId);

// The process's CPU time while the window's event loop runs for about `ms`, as a share of one
// core. The loop runs a little first, so that the repainting after the last click is not counted.
double CpuShareWhileIdle(int ms);
// What a window may take of it while it waits (the simulator's threads included); the sanitizers
// multiply the cost of every wake-up.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kIdleShare = 0.05;
#else
constexpr double kIdleShare = 0.01;
#endif
