#pragma once
// The simulator's console: one line of text per verb, the same verbs as the controller API, for a
// person at a terminal (or a script piped in). Text arguments take the escapes of
// modemlink/tracetext/byte_escapes.h, so "inject AT\0\r\n" writes a NUL. Bad input is answered
// with a message and changes nothing.
//
// Thread contract: one thread executes lines; the simulator's own threads are not involved.

#include <string>
#include <string_view>

#include "modemsim/at/modem_state.h"
#include "modemsim/simulator.h"

namespace modemsim {

class Console {
public:
    explicit Console(Simulator& simulator) : m_simulator(simulator) {}

    // The reply to show; empty only for an empty line, which does nothing.
    std::string Execute(std::string_view line);
    bool QuitRequested() const { return m_quit; }

    // The verbs with their arguments and what they do, one per line.
    static std::string Help();

private:
    Simulator& m_simulator;
    bool m_quit = false;
};

// The console's views of the modem state, as text for people:
//   storage (1 of 20):
//      3  REC UNREAD  +393351391306  24/05/01,12:30:00+00  hello
//      4  REC READ    10086  24/05/01,12:31:00+00  part 2/3 ref 7  the second share of a long one
//   outbox (1):
//     mr 1  to +393351391306  hello\r\n

std::string ListReport(const ModemState& state);
std::string StatusReport(const ModemState& state, const std::string& devicePath);

}  // namespace modemsim
