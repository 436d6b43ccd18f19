#include <array>
#include <cctype>
#include <optional>
#include <utility>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/commands.h"
#include "modemsim/at/message_view.h"
#include "modemsim/at/reply.h"
#include "modemsim/at/sms_text.h"

namespace modemsim {

// The message storages, the SIM's ("SM") and the phone's ("ME"), listing what they hold, and how
// new messages are announced or handed over (at/arrival.h).

namespace {

constexpr int kOperationNotAllowed = 302;
constexpr Memory kMemories[] = {Memory::kSim, Memory::kPhone};

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// A name given as a string in the character set, or plainly, which every set takes as well.
bool Names(const Settings& settings, const AtArg& arg, const std::string& name) {
    const std::optional<std::string> decoded = FromTerminal(settings.charset, arg.text);
    return Upper(arg.text) == name || (decoded && Upper(*decoded) == name);
}

std::optional<Memory> MemoryOf(const Settings& settings, const AtArg& arg) {
    for (const Memory memory : kMemories) {
        if (Names(settings, arg, MemoryName(memory))) {
            return memory;
        }
    }
    return std::nullopt;
}

std::string UsedAndTotal(ModemState& state, Memory memory) {
    const SmsStorage& storage = StorageOf(state, memory);
    return std::to_string(storage.Used()) + "," + std::to_string(storage.Size());
}

// AT+CPMS=<mem1>[,<mem2>[,<mem3>]]: a left-out storage stays as it was.
Reply SetStorage(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->empty() || args->size() > 3 || args->front().Omitted()) {
        return Reply::Error();
    }
    std::array<Memory, 3> chosen = state.settings.memories;
    for (std::size_t i = 0; i < args->size(); ++i) {
        const AtArg& arg = (*args)[i];
        if (arg.Omitted()) {
            continue;
        }
        const std::optional<Memory> memory =
            arg.quoted ? MemoryOf(state.settings, arg) : std::nullopt;
        if (!arg.quoted) {
            return Reply::Error();
        }
        if (!memory) {
            return Reply::CmsError(kOperationNotAllowed);
        }
        chosen[i] = *memory;
    }
    state.settings.memories = chosen;
    std::string counts;
    for (const Memory memory : chosen) {
        counts += (counts.empty() ? "" : ",") + UsedAndTotal(state, memory);
    }
    return Reply::Ok(InfoLine("+CPMS: " + counts));
}

Reply ReadStorage(ModemState& state, const AtCommand& /*command*/) {
    std::string text;
    for (const Memory memory : state.settings.memories) {
        text += (text.empty() ? "\"" : ",\"") + MemoryName(memory) + "\"," +
                UsedAndTotal(state, memory);
    }
    return Reply::Ok(InfoLine("+CPMS: " + text));
}

Reply TestStorage(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CPMS: (\"SM\",\"ME\"),(\"SM\",\"ME\"),(\"SM\",\"ME\")"));
}

// The status AT+CMGL asks for: named in text mode ("REC UNREAD" when left out), numbered in PDU
// mode (0 when left out).
std::optional<int> ListStatus(const Settings& settings, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->size() > 1) {
        return std::nullopt;
    }
    if (args->empty() || args->front().Omitted()) {
        return 0;
    }
    const AtArg& arg = args->front();
    if (!settings.textMode) {
        const std::optional<long> number = ToNumber(arg);
        return number && *number <= 4 ? std::optional<int>(static_cast<int>(*number))
                                      : std::nullopt;
    }
    for (int status = 0; arg.quoted && status <= 4; ++status) {
        if (Names(settings, arg, kStatusNames[status])) {
            return status;
        }
    }
    return std::nullopt;
}

// Only received messages are stored here: "STO UNSENT" and "STO SENT" list nothing. Listing
// marks unread messages read, as reading them one by one does.
Reply ListMessages(ModemState& state, const AtCommand& command) {
    if (std::exchange(state.simBusy, false)) {
        return Reply::CmsError(kSimBusy);
    }
    const std::optional<int> status = ListStatus(state.settings, command);
    if (!status) {
        return Reply::CmsError(state.settings.textMode ? kInvalidTextParameter
                                                       : kInvalidPduParameter);
    }
    SmsStorage& storage = StorageOf(state, state.settings.memories[0]);
    std::string entries;
    for (const auto& [index, sms] : storage.Occupied()) {
        if (*status == 4 || *status == (sms.read ? 1 : 0)) {
            entries += ListEntry(state, index, sms);
            storage.Find(index)->read = true;
        }
    }
    return Reply::Ok(entries.empty() ? entries : "\r\n" + entries);
}

Reply TestList(ModemState& state, const AtCommand& /*command*/) {
    if (!state.settings.textMode) {
        return Reply::Ok(InfoLine("+CMGL: (0-4)"));
    }
    std::string names;
    for (const char* name : kStatusNames) {
        names += (names.empty() ? "\"" : ",\"") + std::string(name) + "\"";
    }
    return Reply::Ok(InfoLine("+CMGL: (" + names + ")"));
}

// AT+CNMI=[<mode>[,<mt>[,<bm>[,<ds>[,<bfr>]]]]]: a left-out value stays as it was. A module
// whose indications are fixed (one that routes every message to the terminal from power-on, one
// that never announces) refuses any change.
Reply SetIndications(ModemState& state, const AtCommand& command) {
    static constexpr int kHighest[] = {3, 3, 3, 2, 1};
    if (HabitsOf(state.smsProfile).indicationsFixed) {
        return Reply::CmsError(kOperationNotSupported);
    }
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->size() > 5) {
        return Reply::Error();
    }
    std::array<int, 5> values = state.settings.newMessageIndication;
    for (std::size_t i = 0; i < args->size(); ++i) {
        if ((*args)[i].Omitted()) {
            continue;
        }
        const std::optional<long> value = ToNumber((*args)[i]);
        if (!value || *value > kHighest[i]) {
            return Reply::Error();
        }
        values[i] = static_cast<int>(*value);
    }
    state.settings.newMessageIndication = values;
    return Reply::Ok();
}

Reply ReadIndications(ModemState& state, const AtCommand& /*command*/) {
    std::string text = "+CNMI: ";
    for (std::size_t i = 0; i < state.settings.newMessageIndication.size(); ++i) {
        text += (i > 0 ? "," : "") + std::to_string(state.settings.newMessageIndication[i]);
    }
    return Reply::Ok(InfoLine(text));
}

Reply TestIndications(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CNMI: (0-3),(0-3),(0-3),(0-2),(0,1)"));
}

// AT+CNMA acknowledges the oldest +CMT that waits for it; only AT+CSMS=1 has them wait.
Reply Acknowledge(ModemState& state, const AtCommand& /*command*/) {
    if (state.settings.messageService != 1 || state.unacknowledged.empty()) {
        return Reply::CmsError(kNoAckExpected);
    }
    state.unacknowledged.pop_front();
    return Reply::Ok();
}

}  // namespace

const std::vector<CommandEntry>& SmsStorageCommands() {
    static const std::vector<CommandEntry> commands = {
        {"+CPMS", nullptr, ReadStorage, TestStorage, SetStorage, Needs::kMessageService},
        {"+CMGL", ListMessages, nullptr, TestList, ListMessages, Needs::kMessageService},
        {"+CNMI", nullptr, ReadIndications, TestIndications, SetIndications,
         Needs::kMessageService},
        {"+CNMA", Acknowledge, nullptr, Supported, nullptr, Needs::kMessageService},
    };
    return commands;
}

}  // namespace modemsim
