#include <array>
#include <cctype>
#include <optional>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/commands.h"
#include "modemsim/at/reply.h"
#include "modemsim/at/sms_text.h"

namespace modemsim {

// The message storage (one: the SIM's, "SM") and how new messages are announced.

namespace {

constexpr int kOperationNotAllowed = 302;

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// A storage name is a string in the character set; plain "SM" is taken in any set as well.
bool IsSimStorage(const Settings& settings, const AtArg& arg) {
    const std::optional<std::string> name = FromTerminal(settings.charset, arg.text);
    return Upper(arg.text) == "SM" || (name && Upper(*name) == "SM");
}

std::string UsedAndTotal(const ModemState& state) {
    return std::to_string(state.storage.Used()) + "," + std::to_string(kSlotCount);
}

// AT+CPMS=<mem1>[,<mem2>[,<mem3>]]: only "SM" is there to choose.
Reply SetStorage(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->empty() || args->size() > 3 || args->front().Omitted()) {
        return Reply::Error();
    }
    for (const AtArg& arg : *args) {
        if (!arg.Omitted() && !arg.quoted) {
            return Reply::Error();
        }
        if (!arg.Omitted() && !IsSimStorage(state.settings, arg)) {
            return Reply::CmsError(kOperationNotAllowed);
        }
    }
    const std::string counts = UsedAndTotal(state);
    return Reply::Ok(InfoLine("+CPMS: " + counts + "," + counts + "," + counts));
}

Reply ReadStorage(ModemState& state, const AtCommand& /*command*/) {
    const std::string one = "\"SM\"," + UsedAndTotal(state);
    return Reply::Ok(InfoLine("+CPMS: " + one + "," + one + "," + one));
}

Reply TestStorage(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CPMS: (\"SM\"),(\"SM\"),(\"SM\")"));
}

// AT+CNMI=[<mode>[,<mt>[,<bm>[,<ds>[,<bfr>]]]]]: a left-out value stays as it was.
Reply SetIndications(ModemState& state, const AtCommand& command) {
    static constexpr int kHighest[] = {3, 3, 3, 2, 1};
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

}  // namespace

const std::vector<CommandEntry>& SmsStorageCommands() {
    static const std::vector<CommandEntry> commands = {
        {"+CPMS", nullptr, ReadStorage, TestStorage, SetStorage},
        {"+CNMI", nullptr, ReadIndications, TestIndications, SetIndications},
    };
    return commands;
}

}  // namespace modemsim
