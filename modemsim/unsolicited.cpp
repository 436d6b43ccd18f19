#include "modemsim/unsolicited.h"

#include "modemsim/address.h"
#include "modemsim/reply.h"
#include "modemsim/text_codec.h"

namespace modemsim {

std::string RingText(const ModemState& state) {
    std::string text = InfoLine("RING");
    const std::string& number = state.call.number;
    if (state.settings.clip && !number.empty()) {
        text += InfoLine("+CLIP: \"" + ToTerminal(state.settings.charset, number) + "\"," +
                         std::to_string(NumberType(number)) + ",,,,0");
    }
    return text;
}

std::string RegistrationFields(const Settings& settings) {
    std::string fields = std::to_string(settings.registration);
    const bool registered = settings.registration == 1 || settings.registration == 5;
    if (settings.cregMode == 2 && registered) {
        fields += ",\"00A1\",\"1B2C\"";
    }
    return fields;
}

std::string RegistrationReport(const Settings& settings) {
    if (settings.cregMode == 0) {
        return {};
    }
    return InfoLine("+CREG: " + RegistrationFields(settings));
}

std::string NoCarrierText() {
    return InfoLine("NO CARRIER");
}

}  // namespace modemsim
