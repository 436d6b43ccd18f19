#include "modemsim/modem_session.h"

#include <optional>

#include "modemsim/command_dispatcher.h"
#include "modemsim/sms_sending.h"

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

}  // namespace

std::vector<Output> ModemSession::Feed(ModemState& state, std::string_view bytes) {
    std::vector<Output> out;
    if (state.faults.silent) {
        return out;
    }
    for (char byte : bytes) {
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
    Emit(out, OutputKind::kAnswer, Render(*reply));
    if (reply->final == FinalCode::kPrompt) {
        m_assembler.EnterPrompt();
    }
}

}  // namespace modemsim
