#include "modemsim/transmitter.h"

#include <algorithm>

#include "platform/simhost/pseudo_terminal.h"

namespace modemsim {

Transmitter::Transmitter(platform::PseudoTerminal& pty, TimerQueue& timers, Trace& trace)
    : m_pty(pty), m_timers(timers), m_trace(trace) {}

void Transmitter::Send(std::string bytes, const Shaping& shaping) {
    if (bytes.empty()) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    const auto now = TimerQueue::Clock::now();
    auto when = std::max(now + std::chrono::milliseconds(shaping.delayMs), m_lastWrite);
    const std::size_t piece = shaping.pieceBytes == 0 ? bytes.size() : shaping.pieceBytes;
    for (std::size_t pos = 0; pos < bytes.size(); pos += piece) {
        if (pos > 0) {
            when += std::chrono::milliseconds(shaping.gapMs);
        }
        WriteAt(when, bytes.substr(pos, piece));
    }
    m_lastWrite = when;
}

void Transmitter::WriteAt(TimerQueue::Clock::time_point when, std::string piece) {
    m_timers.At(when, [this, piece = std::move(piece)] {
        m_trace.Record('>', piece);
        m_pty.Write(piece);
    });
}

}  // namespace modemsim
