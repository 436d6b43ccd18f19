#include "modemsim/child_watch.h"

#include <chrono>
#include <string>

#include "platform/simhost/bounded_write.h"

namespace modemsim {
namespace {

constexpr int kNoticeWaitMs = 200;

}  // namespace

ChildWatch::ChildWatch(platform::ChildProcess& child, platform::TerminationSignal& signals)
    : m_child(child), m_signals(signals), m_thread([this] {
          m_status = m_child.Wait();
          m_ended = true;
          m_signals.Cancel();
      }) {}

ChildWatch::~ChildWatch() {
    End();
}

int ChildWatch::End() {
    if (!m_thread.joinable()) {
        return m_status;
    }
    if (!m_ended) {
        m_child.Terminate();
        if (!AwaitEnd()) {
            platform::WriteWithin(platform::kStandardError,
                                  "modemsim: the program did not end on SIGTERM; killing it\n",
                                  kNoticeWaitMs);
            m_child.Kill();
        }
    }
    m_thread.join();
    return m_status;
}

bool ChildWatch::AwaitEnd() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kGraceMs);
    while (!m_ended) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || m_signals.Wait(static_cast<int>(left.count())) != 0) {
            return m_ended;
        }
    }
    return true;
}

}  // namespace modemsim
