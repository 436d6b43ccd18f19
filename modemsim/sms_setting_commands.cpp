// Message format, character set and service centre.

#include "modemsim/address.h"
#include "modemsim/at_args.h"
#include "modemsim/command_handlers.h"
#include "modemsim/text_codec.h"

namespace modemsim {
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

}  // namespace

const std::vector<CommandEntry>& SmsSettingCommands() {
    static const std::vector<CommandEntry> commands = {
        {"+CMGF", nullptr, ReadFormat, TestFormat, SetFormat},
        {"+CSCS", nullptr, ReadCharset, TestCharset, SetCharset},
        {"+CSCA", nullptr, ReadServiceCentre, Supported, SetServiceCentre},
    };
    return commands;
}

}  // namespace modemsim
