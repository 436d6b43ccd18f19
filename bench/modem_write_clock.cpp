#include "bench/modem_write_clock.h"

#include <utility>

namespace {

// "[   3.106] > ..." : the direction follows the stamp and a blank.
bool IsModemWrite(const std::string& line) {
    const std::size_t close = line.find("] ");
    return close != std::string::npos && line.compare(close + 2, 2, "> ") == 0;
}

}  // namespace

ModemWriteClock::ModemWriteClock(std::string text) : m_shared(std::make_shared<Shared>()) {
    m_shared->text = std::move(text);
}

modemsim::TraceSink ModemWriteClock::Sink() const {
    return [shared = m_shared](const std::string& line) {
        const Clock::time_point now = Clock::now();
        if (IsModemWrite(line) && line.find(shared->text) != std::string::npos) {
            std::lock_guard<std::mutex> guard(shared->lock);
            ++shared->last.count;
            shared->last.at = now;
        }
        return true;
    };
}

ModemWriteClock::Write ModemWriteClock::Last() const {
    std::lock_guard<std::mutex> guard(m_shared->lock);
    return m_shared->last;
}
