#include "modemsim/at/reply.h"

#include <utility>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/sms_text.h"

namespace modemsim {

namespace {

// As AT+CMEE=2 words them.
constexpr std::pair<int, const char*> kCmeTexts[] = {
    {kCmeNotAllowed, "operation not allowed"},
    {kCmeNotSupported, "operation not supported"},
    {kCmeSimNotInserted, "SIM not inserted"},
    {kCmeSimPinRequired, "SIM PIN required"},
    {kCmeSimPukRequired, "SIM PUK required"},
    {13, "SIM failure"},
    {kCmeSimBusy, "SIM busy"},
    {15, "SIM wrong"},
    {kCmeIncorrectPassword, "incorrect password"},
    {17, "SIM PIN2 required"},
    {18, "SIM PUK2 required"},
    {kCmeIncorrectParameters, "incorrect parameters"},
};

std::string CmeText(int code) {
    for (const auto& [number, text] : kCmeTexts) {
        if (number == code) {
            return text;
        }
    }
    return "unknown";
}

Reply WithFinal(FinalCode final) {
    Reply reply;
    reply.final = final;
    return reply;
}

std::string FinalText(const Reply& reply) {
    switch (reply.final) {
        case FinalCode::kOk:
            return InfoLine("OK");
        case FinalCode::kError:
            return InfoLine("ERROR");
        case FinalCode::kCmsError:
            return InfoLine("+CMS ERROR: " + std::to_string(reply.cmsError));
        case FinalCode::kCmeError:
            return InfoLine("+CME ERROR: " + (reply.verboseError ? CmeText(reply.cmeError)
                                                                 : std::to_string(reply.cmeError)));
        case FinalCode::kNoCarrier:
            return InfoLine("NO CARRIER");
        case FinalCode::kPrompt:
            return "\r\n> ";
        case FinalCode::kPending:
            return {};
    }
    return {};
}

}  // namespace

Reply Reply::Pending() {
    Reply reply;
    reply.final = FinalCode::kPending;
    return reply;
}

Reply Reply::Ok(std::string info) {
    Reply reply;
    reply.info = std::move(info);
    return reply;
}

Reply Reply::Error() {
    return WithFinal(FinalCode::kError);
}
Reply Reply::NoCarrier() {
    return WithFinal(FinalCode::kNoCarrier);
}
Reply Reply::Prompt() {
    return WithFinal(FinalCode::kPrompt);
}

Reply Reply::CmsError(int code) {
    Reply reply = WithFinal(FinalCode::kCmsError);
    reply.cmsError = code;
    return reply;
}

Reply Reply::CmeError(int code) {
    Reply reply = WithFinal(FinalCode::kCmeError);
    reply.cmeError = code;
    return reply;
}

Reply WithErrorMode(Reply reply, int errorMode) {
    if (reply.final == FinalCode::kCmeError) {
        reply.final = errorMode == 0 ? FinalCode::kError : FinalCode::kCmeError;
        reply.verboseError = errorMode == 2;
    }
    return reply;
}

std::string MemoryName(Memory memory) {
    return memory == Memory::kPhone ? "ME" : "SM";
}

std::string InfoLine(std::string_view text) {
    std::string line = "\r\n";
    line.append(text);
    line.append("\r\n");
    return line;
}

std::string Render(const Reply& reply) {
    return reply.info + FinalText(reply) + reply.after;
}

std::string RingText(const ModemState& state) {
    std::string text = InfoLine(state.settings.cring ? "+CRING: VOICE" : "RING");
    const std::string& number = state.call.number;
    if (state.settings.clip && !number.empty()) {
        text += InfoLine("+CLIP: \"" + ToTerminal(state.settings.charset, number) + "\"," +
                         std::to_string(NumberType(number)) + ",,,,0");
    }
    return text;
}

std::string RegistrationFields(const Settings& settings) {
    const int registration = EffectiveRegistration(settings);
    std::string fields = std::to_string(registration);
    const bool registered = registration == 1 || registration == 5;
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

std::string NewMessageReport(const Settings& settings, int index) {
    const std::array<int, 5>& cnmi = settings.newMessageIndication;
    if (cnmi[0] == 0 || cnmi[1] != 1) {
        return {};
    }
    return InfoLine("+CMTI: \"" + MemoryName(settings.memories[2]) + "\"," + std::to_string(index));
}

}  // namespace modemsim
