#include "modemsim/sms_sending.h"

#include <optional>

#include "modemsim/cms_errors.h"
#include "modemsim/text_codec.h"

namespace modemsim {
namespace {

int InvalidParameter(const PendingSend& pending) {
    return pending.pdu ? kInvalidPduParameter : kInvalidTextParameter;
}

}  // namespace

Reply FinishSend(ModemState& state, const std::string& text) {
    const PendingSend pending = state.pendingSend.value_or(PendingSend{});
    state.pendingSend.reset();
    if (state.faults.sendError) {
        return Reply::CmsError(*state.faults.sendError);
    }
    const std::optional<std::string> decoded =
        pending.pdu ? text : FromTerminal(state.settings.charset, text);
    if (!decoded) {
        return Reply::CmsError(InvalidParameter(pending));
    }
    SentSms sent;
    sent.destination = pending.destination;
    sent.text = *decoded;
    sent.pdu = pending.pdu;
    sent.reference = TakeReference(state);
    if (state.outbox.size() >= kOutboxLimit) {
        state.outbox.erase(state.outbox.begin());
    }
    state.outbox.push_back(sent);
    return Reply::Ok(InfoLine("+CMGS: " + std::to_string(sent.reference)));
}

Reply RejectOversizedSend(ModemState& state) {
    const PendingSend pending = state.pendingSend.value_or(PendingSend{});
    state.pendingSend.reset();
    return Reply::CmsError(InvalidParameter(pending));
}

Reply CancelSend(ModemState& state) {
    state.pendingSend.reset();
    return Reply::Ok();
}

}  // namespace modemsim
