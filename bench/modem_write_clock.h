#pragma once
// When the simulated modem last wrote a given text, taken from its trace. The trace records each
// write immediately before making it and hands the line to its sink on a writer thread of its
// own; the sink notes the time on arrival. The trace's own stamps have 1 ms resolution, too
// coarse for sub-millisecond figures, so the arrival time stands in for the write: it is late by
// one thread wake-up (tens of microseconds on an idle machine), which makes a figure measured
// from it that much smaller.
//
// Thread contract: the sink runs on the trace's writer thread; Last from any thread. The sink
// shares the state, so it may outlive this object (the trace writer may, see trace_writer.h).

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "modemsim/trace/trace.h"

class ModemWriteClock {
public:
    using Clock = std::chrono::steady_clock;

    struct Write {
        std::uint64_t count = 0;  // writes holding the text so far
        Clock::time_point at;     // when the last of them was traced
    };

    // Notes writes by the modem ('>' lines) that hold `text` as the trace escapes it.
    explicit ModemWriteClock(std::string text);

    modemsim::TraceSink Sink() const;
    Write Last() const;

private:
    struct Shared {
        std::string text;
        std::mutex lock;
        Write last;
    };
    std::shared_ptr<Shared> m_shared;
};
