#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "modemlink/smscodec/gsm_text.h"
#include "modemsim/at/at_syntax.h"
#include "modemsim/at/commands.h"
#include "modemsim/at/message_view.h"
#include "modemsim/at/pdu.h"
#include "modemsim/at/reply.h"
#include "modemsim/at/sms_text.h"

namespace modemsim {

// Message format, character set and service centre.

namespace {

Reply SetFormat(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->size() != 1) {
        return Reply::Error();
    }
    const std::optional<long> mode = args->front().Omitted() ? 0L : ToNumber(args->front());
    if (!mode || *mode > 1) {
        return Reply::Error();
    }
    state.settings.textMode = *mode == 1;
    return Reply::Ok();
}

Reply ReadFormat(ModemState& state, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine(std::string("+CMGF: ") + (state.settings.textMode ? "1" : "0")));
}

Reply TestFormat(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CMGF: (0,1)"));
}

Reply SetCharset(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->size() != 1 || !args->front().quoted) {
        return Reply::Error();
    }
    const std::optional<Charset> charset = CharsetFromName(args->front().text);
    if (!charset) {
        return Reply::Error();
    }
    state.settings.charset = *charset;
    return Reply::Ok();
}

Reply ReadCharset(ModemState& state, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CSCS: \"" + CharsetName(state.settings.charset) + "\""));
}

Reply TestCharset(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CSCS: (\"GSM\",\"IRA\",\"UCS2\")"));
}

// AT+CSCA="+8613800200500",145 as well as the number without quotes; a left-out type follows the
// number: 145 for "+...", else 129.
Reply SetServiceCentre(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->empty() || args->size() > 2) {
        return Reply::Error();
    }
    const AtArg& numberArg = args->front();
    const std::optional<std::string> number =
        numberArg.quoted ? FromTerminal(state.settings.charset, numberArg.text) : numberArg.text;
    if (!number || !IsAddress(*number)) {
        return Reply::Error();
    }
    std::optional<long> type = NumberType(*number);
    if (args->size() == 2 && !(*args)[1].Omitted()) {
        type = ToNumber((*args)[1]);
    }
    if (!type || *type < 128 || *type > 255) {
        return Reply::Error();
    }
    state.settings.scaNumber = *number;
    state.settings.scaType = static_cast<int>(*type);
    return Reply::Ok();
}

Reply ReadServiceCentre(ModemState& state, const AtCommand& /*command*/) {
    const Settings& settings = state.settings;
    return Reply::Ok(InfoLine("+CSCA: \"" + ToTerminal(settings.charset, settings.scaNumber) +
                              "\"," + std::to_string(settings.scaType)));
}

// AT+CSDH=[<show>]: 1 gives the long +CMGR header.
Reply SetShowHeader(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    const std::optional<long> show = !args || args->size() > 1 ? std::nullopt
                                     : args->empty() || args->front().Omitted()
                                         ? 0L
                                         : ToNumber(args->front());
    if (!show || *show > 1) {
        return Reply::Error();
    }
    state.settings.showHeader = *show == 1;
    return Reply::Ok();
}

Reply ReadShowHeader(ModemState& state, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine(std::string("+CSDH: ") + (state.settings.showHeader ? "1" : "0")));
}

Reply TestShowHeader(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CSDH: (0,1)"));
}

// AT+CSMP=<fo>[,<vp>[,<pid>[,<dcs>]]]: a left-out value stays as it was.
Reply SetSubmitParameters(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->empty() || args->size() > 4) {
        return Reply::Error();
    }
    Settings& settings = state.settings;
    int* const fields[] = {&settings.submitFo, &settings.validity, &settings.protocolId,
                           &settings.codingScheme};
    int values[] = {settings.submitFo, settings.validity, settings.protocolId,
                    settings.codingScheme};
    for (std::size_t i = 0; i < args->size(); ++i) {
        if ((*args)[i].Omitted()) {
            continue;
        }
        const std::optional<long> value = ToNumber((*args)[i]);
        if (!value || *value > 255) {
            return Reply::Error();
        }
        values[i] = static_cast<int>(*value);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        *fields[i] = values[i];
    }
    return Reply::Ok();
}

Reply ReadSubmitParameters(ModemState& state, const AtCommand& /*command*/) {
    const Settings& s = state.settings;
    return Reply::Ok(InfoLine("+CSMP: " + std::to_string(s.submitFo) + "," +
                              std::to_string(s.validity) + "," + std::to_string(s.protocolId) +
                              "," + std::to_string(s.codingScheme)));
}

// AT+CSMS=<service>: 1 has each +CMT wait for AT+CNMA. The answer lists what the service
// supports, mobile-terminated, mobile-originated and broadcast: "+CSMS: 1,1,1".
Reply SetMessageService(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    const std::optional<long> service =
        args && args->size() == 1 ? ToNumber(args->front()) : std::nullopt;
    if (!service || *service > 1) {
        return Reply::Error();
    }
    state.settings.messageService = static_cast<int>(*service);
    return Reply::Ok(InfoLine("+CSMS: 1,1,1"));
}

Reply ReadMessageService(ModemState& state, const AtCommand& /*command*/) {
    return Reply::Ok(
        InfoLine("+CSMS: " + std::to_string(state.settings.messageService) + ",1,1,1"));
}

Reply TestMessageService(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CSMS: (0,1)"));
}

}  // namespace

const std::vector<CommandEntry>& SmsSettingCommands() {
    static const std::vector<CommandEntry> commands = {
        {"+CMGF", nullptr, ReadFormat, TestFormat, SetFormat, Needs::kStartedUp},
        {"+CSCS", nullptr, ReadCharset, TestCharset, SetCharset, Needs::kStartedUp},
        {"+CSDH", nullptr, ReadShowHeader, TestShowHeader, SetShowHeader, Needs::kStartedUp},
        {"+CSMP", nullptr, ReadSubmitParameters, Supported, SetSubmitParameters, Needs::kStartedUp},
        {"+CSCA", nullptr, ReadServiceCentre, Supported, SetServiceCentre, Needs::kMessageService},
        {"+CSMS", nullptr, ReadMessageService, TestMessageService, SetMessageService,
         Needs::kMessageService},
    };
    return commands;
}

// Reading, deleting and sending messages. The text after AT+CMGS's prompt is finished
// at the end of this file.

namespace {

std::optional<std::vector<AtArg>> ArgsOf(const AtCommand& command, std::size_t most) {
    std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->empty() || args->size() > most) {
        return std::nullopt;
    }
    return args;
}

// Where AT+CMGR, AT+CMGL and AT+CMGD look: <mem1>.
SmsStorage& ReadingStorage(ModemState& state) {
    return StorageOf(state, state.settings.memories[0]);
}

std::optional<int> IndexOf(const SmsStorage& storage, const AtArg& arg) {
    const std::optional<long> index = ToNumber(arg);
    if (!index || !storage.IsValidIndex(*index)) {
        return std::nullopt;
    }
    return static_cast<int>(*index);
}

// A SIM still starting up answers the first read after power-on with +CMS ERROR: 314.
Reply ReadMessage(ModemState& state, const AtCommand& command) {
    if (std::exchange(state.simBusy, false)) {
        return Reply::CmsError(kSimBusy);
    }
    const std::optional<std::vector<AtArg>> args = ArgsOf(command, 2);
    const std::optional<int> index =
        args ? IndexOf(ReadingStorage(state), args->front()) : std::nullopt;
    if (!index) {
        return Reply::CmsError(kInvalidIndex);
    }
    StoredSms* sms = ReadingStorage(state).Find(*index);
    if (sms == nullptr) {
        return state.emptyReadError ? Reply::CmsError(kInvalidIndex) : Reply::Ok();
    }
    Reply reply = Reply::Ok(ReadView(state, *sms));
    sms->read = true;
    return reply;
}

// Some modules refuse the first delete of each message (+CMS ERROR: 500) and do the next; for a
// delete of many, the first that meets one not yet refused deletes nothing.
bool RefusesDelete(ModemState& state, SmsStorage& storage, const std::vector<int>& indices) {
    if (!HabitsOf(state.smsProfile).deleteRefusedOnce) {
        return false;
    }
    bool refused = false;
    for (const int index : indices) {
        if (StoredSms* sms = storage.Find(index); sms != nullptr && !sms->deleteRefused) {
            sms->deleteRefused = true;
            refused = true;
        }
    }
    return refused;
}

// AT+CMGD=<index>[,<flag>]: flag 1 deletes every read message, 2 and 3 also sent and unsent ones
// (kept in no slot here), 4 everything; the index then does not matter.
Reply DeleteMessage(ModemState& state, const AtCommand& command) {
    SmsStorage& storage = ReadingStorage(state);
    const std::optional<std::vector<AtArg>> args = ArgsOf(command, 2);
    const std::optional<int> index = args ? IndexOf(storage, args->front()) : std::nullopt;
    if (!index) {
        return Reply::CmsError(kInvalidIndex);
    }
    const std::optional<long> flag =
        args->size() == 2 && !(*args)[1].Omitted() ? ToNumber((*args)[1]) : 0L;
    if (!flag || *flag > 4) {
        return Reply::Error();
    }
    std::vector<int> doomed;
    for (const auto& [at, sms] : storage.Occupied()) {
        if (*flag == 4 || (*flag == 0 ? at == *index : sms.read)) {
            doomed.push_back(at);
        }
    }
    if (RefusesDelete(state, storage, doomed)) {
        return Reply::CmsError(kUnknownError);
    }
    for (const int at : doomed) {
        storage.Erase(at);
    }
    return Reply::Ok();
}

Reply TestDelete(ModemState& state, const AtCommand& /*command*/) {
    const SmsStorage& storage = ReadingStorage(state);
    return Reply::Ok(InfoLine("+CMGD: (" + std::to_string(storage.First()) + "-" +
                              std::to_string(storage.Last()) + "),(0-4)"));
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
        pending.tpduOctets = static_cast<std::size_t>(*length);
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
        {"+CMGR", nullptr, nullptr, Supported, ReadMessage, Needs::kMessageService},
        {"+CMGD", nullptr, nullptr, TestDelete, DeleteMessage, Needs::kMessageService},
        {"+CMGS", nullptr, nullptr, Supported, StartSend, Needs::kMessageService},
    };
    return commands;
}

namespace {

int InvalidParameter(const PendingSend& pending) {
    return pending.pdu ? kInvalidPduParameter : kInvalidTextParameter;
}

// The text typed after the prompt, as AT+CSMP's coding scheme says it is written: GSM text in the
// character set, else hex octets (UCS2 decoded, 8-bit data kept as its hex). Text that is no such
// hex (GSM text under <dcs> 8, say) is refused as malformed octets, +CMS ERROR: 304; text longer
// than one message (160 septets, 140 octets) or not in the character set, +CMS ERROR: 305.
struct Entry {
    std::optional<std::string> text;
    int error = kInvalidTextParameter;
};

Entry DecodeEntry(const Settings& settings, const std::string& text) {
    switch (AlphabetOfCodingScheme(static_cast<std::uint8_t>(settings.codingScheme))) {
        case SmsAlphabet::kGsm7: {
            const std::optional<std::string> decoded = FromTerminal(settings.charset, text);
            const std::optional<std::size_t> septets =
                decoded ? GsmSeptets(*decoded) : std::nullopt;
            return {septets && *septets <= 160 ? decoded : std::nullopt};
        }
        case SmsAlphabet::kUcs2: {
            const std::optional<std::string> decoded = FromUcs2Hex(text);
            if (!decoded) {
                return {std::nullopt, kInvalidPduParameter};
            }
            return {Ucs2Hex(*decoded).size() <= 280 ? decoded : std::nullopt};
        }
        case SmsAlphabet::kEightBit:
            if (text.size() % 2 != 0 || !std::all_of(text.begin(), text.end(), [](char c) {
                    return std::isxdigit(static_cast<unsigned char>(c));
                })) {
                return {std::nullopt, kInvalidPduParameter};
            }
            return {text.size() <= 280 ? std::optional<std::string>(text) : std::nullopt};
    }
    return {};
}

// The hex may end in a line end, as a terminal that ends each line types it.
std::optional<SentSms> FromSubmit(const Settings& settings, std::string hex,
                                  std::size_t tpduOctets) {
    while (!hex.empty() && (hex.back() == '\r' || hex.back() == '\n')) {
        hex.pop_back();
    }
    const std::optional<Submission> submission = DecodeSubmit(hex, tpduOctets);
    if (!submission) {
        return std::nullopt;
    }
    SentSms sent;
    sent.destination = submission->destination;
    sent.text = submission->text;
    sent.pdu = true;
    sent.part = submission->part;
    sent.centre = submission->centre.value_or(settings.scaNumber);
    return sent;
}

}  // namespace

Reply FinishSend(ModemState& state, const std::string& text) {
    const PendingSend pending = state.pendingSend.value_or(PendingSend{});
    state.pendingSend.reset();
    if (state.faults.sendError) {
        return Reply::CmsError(*state.faults.sendError);
    }
    SentSms sent;
    if (pending.pdu) {
        const std::optional<SentSms> decoded = FromSubmit(state.settings, text, pending.tpduOctets);
        if (!decoded) {
            return Reply::CmsError(kInvalidPduParameter);
        }
        sent = *decoded;
    } else {
        const Entry entry = DecodeEntry(state.settings, text);
        if (!entry.text) {
            return Reply::CmsError(entry.error);
        }
        sent.destination = pending.destination;
        sent.text = *entry.text;
        sent.centre = state.settings.scaNumber;
    }
    if (sent.centre.empty()) {
        return Reply::CmsError(kCentreUnknown);
    }
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
