// Reading, deleting and sending messages. The text after AT+CMGS's prompt is finished in
// sms_sending.cpp.

#include "modemsim/address.h"
#include "modemsim/at_args.h"
#include "modemsim/cms_errors.h"
#include "modemsim/command_handlers.h"
#include "modemsim/text_codec.h"

namespace modemsim {
namespace {

std::optional<std::vector<AtArg>> ArgsOf(const AtCommand& command, std::size_t most) {
    std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->empty() || args->size() > most) {
        return std::nullopt;
    }
    return args;
}

std::optional<int> IndexOf(const AtArg& arg) {
    const std::optional<long> index = ToNumber(arg);
    if (!index || !SmsStorage::IsValidIndex(*index)) {
        return std::nullopt;
    }
    return static_cast<int>(*index);
}

//   +CMGR: "REC UNREAD","+393351391306",,"24/05/01,12:30:00+00"\r\n<text>
std::string ReadText(const Settings& settings, const StoredSms& sms) {
    const std::string status = sms.read ? "REC READ" : "REC UNREAD";
    return InfoLine("+CMGR: \"" + status + "\",\"" + ToTerminal(settings.charset, sms.sender) +
                    "\",,\"" + sms.timestamp + "\"") +
           ToTerminal(settings.charset, sms.text) + "\r\n";
}

Reply ReadMessage(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = ArgsOf(command, 2);
    const std::optional<int> index = args ? IndexOf(args->front()) : std::nullopt;
    if (!index) {
        return Reply::CmsError(kInvalidIndex);
    }
    if (!state.settings.textMode) {
        return Reply::CmsError(kOperationNotSupported);
    }
    StoredSms* sms = state.storage.Find(*index);
    if (sms == nullptr) {
        return state.emptyReadError ? Reply::CmsError(kInvalidIndex) : Reply::Ok();
    }
    Reply reply = Reply::Ok(ReadText(state.settings, *sms));
    sms->read = true;
    return reply;
}

// AT+CMGD=<index>[,<flag>]: flag 1 deletes every read message, 2 and 3 also sent and unsent ones
// (kept in no slot here), 4 everything; the index then does not matter.
Reply DeleteMessage(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = ArgsOf(command, 2);
    const std::optional<int> index = args ? IndexOf(args->front()) : std::nullopt;
    if (!index) {
        return Reply::CmsError(kInvalidIndex);
    }
    const std::optional<long> flag =
        args->size() == 2 && !(*args)[1].Omitted() ? ToNumber((*args)[1]) : 0L;
    if (!flag || *flag > 4) {
        return Reply::Error();
    }
    if (*flag == 0) {
        state.storage.Erase(*index);
    } else if (*flag == 4) {
        state.storage.EraseAll();
    } else {
        state.storage.EraseRead();
    }
    return Reply::Ok();
}

Reply TestDelete(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CMGD: (1-" + std::to_string(kSlotCount) + "),(0-4)"));
}

// Text mode: AT+CMGS="<da>"[,<toda>]. PDU mode: AT+CMGS=<length of the TPDU in octets>.
Reply StartSend(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = ArgsOf(command, 2);
    if (!args) {
        return Reply::Error();
    }
    PendingSend pending;
    pending.pdu = !state.settings.textMode;
    if (pending.pdu) {
        const std::optional<long> length = ToNumber(args->front());
        if (!length || *length < 1 || *length > 164 || args->size() != 1) {
            return Reply::CmsError(kInvalidPduParameter);
        }
    } else {
        const AtArg& da = args->front();
        const std::optional<std::string> number =
            da.quoted ? FromTerminal(state.settings.charset, da.text) : std::nullopt;
        const bool typeOk = args->size() == 1 || (*args)[1].Omitted() || ToNumber((*args)[1]);
        if (!number || !IsAddress(*number) || !typeOk) {
            return Reply::CmsError(kInvalidTextParameter);
        }
        pending.destination = *number;
    }
    state.pendingSend = pending;
    return Reply::Prompt();
}

}  // namespace

const std::vector<CommandEntry>& SmsMessageCommands() {
    static const std::vector<CommandEntry> commands = {
        {"+CMGR", nullptr, nullptr, Supported, ReadMessage},
        {"+CMGD", nullptr, nullptr, TestDelete, DeleteMessage},
        {"+CMGS", nullptr, nullptr, Supported, StartSend},
    };
    return commands;
}

}  // namespace modemsim
