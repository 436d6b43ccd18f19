#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/commands.h"
#include "modemsim/at/reply.h"

namespace modemsim {

// What a client asks first: who made the modem and its serial number, the signal and the network,
// the radio's functionality and how errors are reported (the SIM's commands are in
// sim_commands.cpp). The values are the simulator's own: an IMEI in the range reserved for test
// equipment, its last digit the Luhn check digit, and a network on the test code 001-01.

namespace {

constexpr const char* kManufacturer = "Modemsim";
constexpr const char* kModel = "MS-1";
constexpr const char* kRevision = "MS1.01.00";
constexpr const char* kImei = "001017000000011";
constexpr const char* kOperatorNames[] = {"Modemsim Network", "MSIM", "00101"};

Reply Line(const std::string& text) {
    return Reply::Ok(InfoLine(text));
}

Reply Manufacturer(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Line(kManufacturer);
}
Reply Model(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Line(kModel);
}
Reply Revision(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Line(kRevision);
}
Reply SerialNumber(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Line(kImei);
}

// ATI and ATI0; other numbers name reports this modem does not have.
Reply Identification(ModemState& /*state*/, const AtCommand& command) {
    if (BasicNumber(command.args) != 0L) {
        return Reply::Error();
    }
    return Reply::Ok(InfoLine(std::string(kManufacturer) + " " + kModel) +
                     InfoLine(std::string("Revision: ") + kRevision));
}

bool OnNetwork(const Settings& settings) {
    const int registration = EffectiveRegistration(settings);
    return registration == 1 || registration == 5;
}

// A good signal while registered; "not known" otherwise.
Reply SignalQuality(ModemState& state, const AtCommand& /*command*/) {
    return Line(OnNetwork(state.settings) ? "+CSQ: 24,99" : "+CSQ: 99,99");
}
Reply TestSignalQuality(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Line("+CSQ: (0-31,99),(0-7,99)");
}

// The arguments of a set command as numbers within [0, highest[i]]; left-out ones stay nothing.
// Nothing at all for too many arguments or one out of range.
std::optional<std::vector<std::optional<long>>> Numbers(const AtCommand& command,
                                                        std::initializer_list<long> highest) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->size() > highest.size()) {
        return std::nullopt;
    }
    std::vector<std::optional<long>> values;
    auto bound = highest.begin();
    for (const AtArg& arg : *args) {
        const std::optional<long> value = arg.Omitted() ? std::nullopt : ToNumber(arg);
        if (!arg.Omitted() && (!value || *value > *bound)) {
            return std::nullopt;
        }
        values.push_back(value);
        ++bound;
    }
    return values;
}

// Automatic selection only: AT+COPS=0 and AT+COPS=3,<format> (the names' format). The operator
// argument is taken as given: there is one network.
Reply SetOperator(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    const long mode = args && !args->empty() ? ToNumber(args->front()).value_or(-1) : -1;
    const long format =
        args && args->size() > 1 && !(*args)[1].Omitted() ? ToNumber((*args)[1]).value_or(-1) : 0;
    if (mode < 0 || mode > 4 || format < 0 || format > 2 || args->size() > 4) {
        return Reply::CmeError(kCmeIncorrectParameters);
    }
    if (mode != 0 && mode != 3) {
        return Reply::CmeError(kCmeNotSupported);
    }
    if (args->size() > 1) {
        state.settings.operatorFormat = static_cast<int>(format);
    }
    return Reply::Ok();
}

Reply ReadOperator(ModemState& state, const AtCommand& /*command*/) {
    const Settings& settings = state.settings;
    if (!OnNetwork(settings)) {
        return Line("+COPS: 0");
    }
    return Line("+COPS: 0," + std::to_string(settings.operatorFormat) + ",\"" +
                kOperatorNames[settings.operatorFormat] + "\",0");
}

Reply TestOperator(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Line(std::string("+COPS: (2,\"") + kOperatorNames[0] + "\",\"" + kOperatorNames[1] +
                "\",\"" + kOperatorNames[2] + "\",0),,(0,3),(0-2)");
}

// AT+CFUN=<fun>[,<rst>]: 1 full, 0 minimum, 4 flight mode; a reset restores the profile.
Reply SetFunctionality(ModemState& state, const AtCommand& command) {
    const auto values = Numbers(command, {4, 1});
    const std::optional<long> fun = values && !values->empty() ? values->front() : std::nullopt;
    if (!fun || *fun == 2 || *fun == 3) {
        return Reply::CmeError(kCmeIncorrectParameters);
    }
    if (values->size() == 2 && (*values)[1] == 1L) {
        RestoreProfile(state.settings);
    }
    state.settings.functionality = static_cast<int>(*fun);
    return Reply::Ok();
}

Reply ReadFunctionality(ModemState& state, const AtCommand& /*command*/) {
    return Line("+CFUN: " + std::to_string(state.settings.functionality));
}
Reply TestFunctionality(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Line("+CFUN: (0,1,4),(0,1)");
}

// AT+CMEE=[<n>]: a left-out mode is 0.
Reply SetErrorMode(ModemState& state, const AtCommand& command) {
    const auto values = Numbers(command, {2});
    if (!values) {
        return Reply::CmeError(kCmeIncorrectParameters);
    }
    state.settings.errorMode = static_cast<int>(values->empty() ? 0 : values->front().value_or(0));
    return Reply::Ok();
}
Reply ReadErrorMode(ModemState& state, const AtCommand& /*command*/) {
    return Line("+CMEE: " + std::to_string(state.settings.errorMode));
}
Reply TestErrorMode(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Line("+CMEE: (0-2)");
}

}  // namespace

const std::vector<CommandEntry>& EquipmentCommands() {
    static const std::vector<CommandEntry> commands = {
        {"I", Identification, nullptr, nullptr, nullptr},
        {"+CGMI", Manufacturer, nullptr, Supported, nullptr},
        {"+CGMM", Model, nullptr, Supported, nullptr},
        {"+CGMR", Revision, nullptr, Supported, nullptr},
        {"+CGSN", SerialNumber, nullptr, Supported, nullptr},
        {"+GMI", Manufacturer, nullptr, Supported, nullptr},
        {"+GMM", Model, nullptr, Supported, nullptr},
        {"+GMR", Revision, nullptr, Supported, nullptr},
        {"+GSN", SerialNumber, nullptr, Supported, nullptr},
        {"+CSQ", SignalQuality, nullptr, TestSignalQuality, nullptr},
        {"+COPS", nullptr, ReadOperator, TestOperator, SetOperator, Needs::kSim},
        {"+CFUN", nullptr, ReadFunctionality, TestFunctionality, SetFunctionality},
        {"+CMEE", SetErrorMode, ReadErrorMode, TestErrorMode, SetErrorMode},
    };
    return commands;
}

}  // namespace modemsim
