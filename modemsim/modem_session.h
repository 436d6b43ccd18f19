#pragma once
// The modem's side of the dialogue: bytes from the terminal in, what to send back out. Pure logic
// over the state, with no I/O and no clock; the simulator feeds it under the model's lock and
// writes what it returns. Echo goes out as the bytes come, each read's worth in one write (Ctrl-Z
// and ESC, which end a message text, are not echoed); a line longer than LineAssembler::kMaxLine is
// dropped with ERROR. While the silent fault is on the modem hears nothing: input is dropped
// unprocessed.

#include <string>
#include <string_view>
#include <vector>

#include "modemsim/line_assembler.h"
#include "modemsim/modem_state.h"
#include "modemsim/reply.h"

namespace modemsim {

enum class OutputKind {
    kEcho,
    kAnswer,
    kNetworkAnswer,  // the result of a message sent: comes after the network's delay
};

struct Output {
    OutputKind kind;
    std::string bytes;
};

class ModemSession {
public:
    std::vector<Output> Feed(ModemState& state, std::string_view bytes);

private:
    void Complete(ModemState& state, const AssemblerStep& step, std::vector<Output>& out);
    void AnswerLine(ModemState& state, const std::string& line, std::vector<Output>& out);

    LineAssembler m_assembler;
};

}  // namespace modemsim
