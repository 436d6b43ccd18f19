#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/call_profile.h"
#include "modemsim/at/commands.h"
#include "modemsim/at/reply.h"

namespace modemsim {

// Basic commands: echo, profile reset and the voice call.

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
    Connect(state.call);
    ++state.call.generation;
    Reply reply = Reply::Ok();
    reply.after = FramedReport(ReportsOf(state.callProfile).afterAnswer);
    return reply;
}

// The call ended by the terminal: OK, then what the family says of the end.
Reply EndedHere(ModemState& state) {
    Reply reply = Reply::Ok();
    if (state.call.phase != CallPhase::kIdle) {
        reply.later = FramedReport(ReportsOf(state.callProfile).endedHere, CallSeconds(state.call));
    }
    EndCall(state.call);
    return reply;
}

Reply HangUp(ModemState& state, const AtCommand& command) {
    if (BasicNumber(command.args) != 0L) {
        return Reply::Error();
    }
    // AT+CVHU=1: ATH is answered and ignored; only AT+CHUP ends the call.
    if (state.settings.hangUpMode == 1) {
        return Reply::Ok();
    }
    return EndedHere(state);
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
    state.call.connected = false;
    state.call.number = number;
    ++state.call.generation;
    const CallReports& reports = ReportsOf(state.callProfile);
    const std::optional<DialFailure> failure = std::exchange(state.faults.nextDialFails, {});
    Reply reply = reports.dialAnsweredAtOnce ? Reply::Ok() : Reply::Pending();
    if (failure) {
        // OK\r\n\r\nBUSY\r\n in one burst, as a module that hears the network refuse while still
        // answering the dial.
        EndCall(state.call);
        reply.after = FramedReport(FailureReport(reports, *failure));
        return reply;
    }
    if (reports.dialAnsweredAtOnce) {
        reply.after = FramedReport(reports.afterDial);
    }
    return reply;
}

}  // namespace

const std::vector<CommandEntry>& BasicCommands() {
    static const std::vector<CommandEntry> commands = {
        {"E", Echo, nullptr, nullptr, nullptr},
        {"Z", RestoreDefaults, nullptr, nullptr, nullptr},
        {"&F", RestoreDefaults, nullptr, nullptr, nullptr},
        {"A", Answer, nullptr, nullptr, nullptr},
        {"D", Dial, nullptr, nullptr, nullptr, Needs::kSim},
        {"H", HangUp, nullptr, nullptr, nullptr},
    };
    return commands;
}

// Line speed, network registration, caller identification and ending calls.

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
    return EndedHere(state);
}

Reply SetHangUpMode(ModemState& state, const AtCommand& command) {
    const std::optional<long> mode = SingleNumber(command, 0, 2);
    if (!mode) {
        return Reply::Error();
    }
    state.settings.hangUpMode = static_cast<int>(*mode);
    return Reply::Ok();
}

Reply ReadHangUpMode(ModemState& state, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CVHU: " + std::to_string(state.settings.hangUpMode)));
}

Reply TestHangUpMode(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CVHU: (0-2)"));
}

Reply SetCring(ModemState& state, const AtCommand& command) {
    const std::optional<long> mode = SingleNumber(command, 0, 1);
    if (!mode) {
        return Reply::Error();
    }
    state.settings.cring = *mode == 1;
    return Reply::Ok();
}

Reply ReadCring(ModemState& state, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine(std::string("+CRC: ") + (state.settings.cring ? "1" : "0")));
}

Reply TestCring(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine("+CRC: (0,1)"));
}

}  // namespace

const std::vector<CommandEntry>& NetworkCommands() {
    static const std::vector<CommandEntry> commands = {
        {"+IPR", nullptr, ReadRate, TestRate, SetRate},
        {"+CREG", nullptr, ReadRegistration, TestRegistration, SetRegistrationReports},
        {"+CLIP", nullptr, ReadClip, TestClip, SetClip, Needs::kStartedUp},
        {"+CHUP", HangUpCall, nullptr, Supported, nullptr},
        {"+CVHU", nullptr, ReadHangUpMode, TestHangUpMode, SetHangUpMode},
        {"+CRC", nullptr, ReadCring, TestCring, SetCring},
    };
    return commands;
}

}  // namespace modemsim
