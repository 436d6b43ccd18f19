#include "modemsim/at/modem_session.h"

#include <optional>
#include <utility>

#include "modemsim/at/commands.h"

namespace modemsim {

namespace {

void Emit(std::vector<Output>& out, OutputKind kind, std::string bytes) {
    // Consecutive echo bytes go out as one write.
    if (kind == OutputKind::kEcho && !out.empty() && out.back().kind == OutputKind::kEcho) {
        out.back().bytes += bytes;
        return;
    }
    out.push_back({kind, std::move(bytes)});
}

bool DialBeingPlaced(const ModemState& state) {
    const Call& call = state.call;
    return call.phase == CallPhase::kActive && call.outgoing && !call.connected &&
           !ReportsOf(state.callProfile).dialAnsweredAtOnce;
}

}  // namespace

std::vector<Output> ModemSession::Feed(ModemState& state, std::string_view bytes) {
    std::vector<Output> out;
    if (state.faults.silent) {
        return out;
    }
    if (std::exchange(m_powerOns, state.powerOns) != state.powerOns) {
        m_assembler = LineAssembler{};
    }
    for (char byte : bytes) {
        if (DialBeingPlaced(state) && !m_assembler.DropsNext(byte)) {
            EndCall(state.call);
            Emit(out, OutputKind::kAnswer, Render(Reply::NoCarrier()));
            continue;
        }
        const AssemblerStep step = m_assembler.Push(byte);
        if (step.echo && state.settings.echo) {
            Emit(out, OutputKind::kEcho, std::string(1, byte));
        }
        Complete(state, step, out);
    }
    return out;
}

void ModemSession::Complete(ModemState& state, const AssemblerStep& step,
                            std::vector<Output>& out) {
    switch (step.completion) {
        case Completion::kNone:
            return;
        case Completion::kLine:
            AnswerLine(state, step.text, out);
            return;
        case Completion::kLineOverflow:
            Emit(out, OutputKind::kAnswer, Render(Reply::Error()));
            return;
        case Completion::kText:
            Emit(out, OutputKind::kNetworkAnswer, Render(FinishSend(state, step.text)));
            return;
        case Completion::kTextOverflow:
            Emit(out, OutputKind::kAnswer, Render(RejectOversizedSend(state)));
            return;
        case Completion::kTextCancelled:
            Emit(out, OutputKind::kAnswer, Render(CancelSend(state)));
            return;
    }
}

void ModemSession::AnswerLine(ModemState& state, const std::string& line,
                              std::vector<Output>& out) {
    const std::optional<Reply> reply = ExecuteLine(state, line);
    if (!reply) {
        return;
    }
    // The text is taken from here on, even while the prompt is held back: a terminal that gives
    // up waiting for it types into the message.
    const bool prompt = reply->final == FinalCode::kPrompt;
    Emit(out, prompt ? OutputKind::kPrompt : OutputKind::kAnswer, Render(*reply));
    if (prompt) {
        m_assembler.EnterPrompt();
    }
    if (!reply->later.empty()) {
        Emit(out, OutputKind::kLateCallReport, reply->later);
    }
}

namespace {

constexpr char kBackspace = '\x08';

}  // namespace

AssemblerStep LineAssembler::Push(char byte) {
    const bool afterCr = std::exchange(m_afterCr, false);
    if (afterCr && byte == '\n') {
        return {};
    }
    return m_prompt ? PushText(byte) : PushCommand(byte);
}

void LineAssembler::EnterPrompt() {
    m_prompt = true;
    m_buffer.clear();
    m_overflow = false;
}

void LineAssembler::Append(char byte, std::size_t bound) {
    if (byte == kBackspace) {
        if (!m_buffer.empty()) {
            m_buffer.pop_back();
        }
    } else if (m_buffer.size() < bound) {
        m_buffer.push_back(byte);
    } else {
        m_overflow = true;
    }
}

AssemblerStep LineAssembler::Complete(Completion completion, Completion overflow) {
    AssemblerStep step;
    step.completion = m_overflow ? overflow : completion;
    if (!m_overflow) {
        step.text = std::move(m_buffer);
    }
    m_buffer.clear();
    m_overflow = false;
    return step;
}

AssemblerStep LineAssembler::PushCommand(char byte) {
    if (byte == '\r') {
        m_afterCr = true;
        AssemblerStep step = Complete(Completion::kLine, Completion::kLineOverflow);
        step.echo = true;
        return step;
    }
    // A stray LF is echoed like any byte but is no part of a command.
    if (byte != '\n') {
        Append(byte, kMaxLine);
    }
    AssemblerStep step;
    step.echo = true;
    return step;
}

AssemblerStep LineAssembler::PushText(char byte) {
    if (byte == kCtrlZ || byte == kEscape) {
        m_prompt = false;
        if (byte == kEscape) {
            m_buffer.clear();
            m_overflow = false;
            AssemblerStep step;
            step.completion = Completion::kTextCancelled;
            return step;
        }
        return Complete(Completion::kText, Completion::kTextOverflow);
    }
    Append(byte, kMaxText);
    AssemblerStep step;
    step.echo = true;
    return step;
}

}  // namespace modemsim
