// Line speed, network registration, caller identification and ending calls.

#include <algorithm>
#include <array>

#include "modemsim/at_args.h"
#include "modemsim/command_handlers.h"
#include "modemsim/unsolicited.h"

namespace modemsim {
namespace {

constexpr std::array<long, 10> kRates = {0,    300,   1200,  2400,  4800,
                                         9600, 19200, 38400, 57600, 115200};

// The single number argument of a set command within [low, high]; an omitted one counts as 0.
std::optional<long> SingleNumber(const AtCommand& command, long low, long high) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->size() != 1) {
        return std::nullopt;
    }
    const std::optional<long> value = args->front().Omitted() ? 0L : ToNumber(args->front());
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return value;
}

Reply SetRate(ModemState& state, const AtCommand& command) {
    const std::optional<long> rate = SingleNumber(command, 0, 115200);
    if (!rate || std::find(kRates.begin(), kRates.end(), *rate) == kRates.end()) {
        return Reply::Error();
    }
    state.settings.baudRate = *rate;
    return Reply::Ok();
}

Reply ReadRate(ModemState& state, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+IPR: " + std::to_string(state.settings.baudRate)));
}

Reply TestRate(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+IPR: (0),(300,1200,2400,4800,9600,19200,38400,57600,115200)"));
}

Reply SetRegistrationReports(ModemState& state, const AtCommand& command) {
    const std::optional<long> mode = SingleNumber(command, 0, 2);
    if (!mode) {
        return Reply::Error();
    }
    state.settings.cregMode = static_cast<int>(*mode);
    return Reply::Ok();
}

Reply ReadRegistration(ModemState& state, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CREG: " + std::to_string(state.settings.cregMode) + "," +
                              RegistrationFields(state.settings)));
}

Reply TestRegistration(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CREG: (0-2)"));
}

Reply SetClip(ModemState& state, const AtCommand& command) {
    const std::optional<long> mode = SingleNumber(command, 0, 1);
    if (!mode) {
        return Reply::Error();
    }
    state.settings.clip = *mode == 1;
    return Reply::Ok();
}

Reply ReadClip(ModemState& state, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine(std::string("+CLIP: ") + (state.settings.clip ? "1" : "0") + ",1"));
}

Reply TestClip(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CLIP: (0,1)"));
}

Reply HangUpCall(ModemState& state, const AtCommand& /*command*/) {
    EndCall(state.call);
    return Reply::Ok();
}

}  // namespace

const std::vector<CommandEntry>& NetworkCommands() {
    static const std::vector<CommandEntry> commands = {
        {"+IPR", nullptr, ReadRate, TestRate, SetRate},
        {"+CREG", nullptr, ReadRegistration, TestRegistration, SetRegistrationReports},
        {"+CLIP", nullptr, ReadClip, TestClip, SetClip},
        {"+CHUP", HangUpCall, nullptr, Supported, nullptr},
    };
    return commands;
}

}  // namespace modemsim
