// Basic commands: echo, profile reset and the voice call.

#include <algorithm>
#include <cstring>

#include "modemsim/at_args.h"
#include "modemsim/command_handlers.h"

namespace modemsim {
namespace {

Reply Echo(ModemState& state, const AtCommand& command) {
    const std::optional<long> value = BasicNumber(command.args);
    if (!value || *value > 1) {
        return Reply::Error();
    }
    state.settings.echo = *value == 1;
    return Reply::Ok();
}

Reply RestoreDefaults(ModemState& state, const AtCommand& command) {
    if (BasicNumber(command.args) != 0L) {
        return Reply::Error();
    }
    RestoreProfile(state.settings);
    return Reply::Ok();
}

Reply Answer(ModemState& state, const AtCommand& /*command*/) {
    if (state.call.phase != CallPhase::kRinging) {
        return Reply::NoCarrier();
    }
    state.call.phase = CallPhase::kActive;
    ++state.call.generation;
    return Reply::Ok();
}

Reply HangUp(ModemState& state, const AtCommand& command) {
    if (BasicNumber(command.args) != 0L) {
        return Reply::Error();
    }
    EndCall(state.call);
    return Reply::Ok();
}

bool IsDialString(const std::string& number) {
    return !number.empty() && std::all_of(number.begin(), number.end(), [](char c) {
        return c != '\0' && std::strchr("0123456789*#+ABCDabcdPpTtWw,!@", c) != nullptr;
    });
}

// ATD<number>; is a voice call. Without the ';' it would be a data call, which this modem has no
// service for: NO CARRIER, as a module without data service says.
Reply Dial(ModemState& state, const AtCommand& command) {
    std::string number = command.args;
    const bool voice = !number.empty() && number.back() == ';';
    if (voice) {
        number.pop_back();
    }
    if (!IsDialString(number) || state.call.phase != CallPhase::kIdle) {
        return Reply::Error();
    }
    if (!voice) {
        return Reply::NoCarrier();
    }
    state.call.phase = CallPhase::kActive;
    state.call.outgoing = true;
    state.call.number = number;
    ++state.call.generation;
    return Reply::Ok();
}

}  // namespace

const std::vector<CommandEntry>& BasicCommands() {
    static const std::vector<CommandEntry> commands = {
        {"E", Echo, nullptr, nullptr, nullptr},
        {"Z", RestoreDefaults, nullptr, nullptr, nullptr},
        {"&F", RestoreDefaults, nullptr, nullptr, nullptr},
        {"A", Answer, nullptr, nullptr, nullptr},
        {"D", Dial, nullptr, nullptr, nullptr},
        {"H", HangUp, nullptr, nullptr, nullptr},
    };
    return commands;
}

}  // namespace modemsim
