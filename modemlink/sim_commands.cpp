// The SIM's lock (27.007):
//   AT+CPIN?                 +CPIN: READY | SIM PIN | SIM PUK | PH-SIM PIN ... ; +CME ERROR: 10
//                            when there is no SIM
//   AT+CPINR="SIM PIN"       +CPINR: SIM PIN,<attempts left>,<default attempts>
//   AT+CPIN="<pin>"          OK, or +CME ERROR: 16 (incorrect password)

#include <algorithm>

#include "modemlink/modem.h"

namespace {

CModem::SimState StateOfAnswer(const std::u16string& answer) {
    const std::size_t at = answer.find(u"+CPIN:");
    if (at == std::u16string::npos) {
        return CModem::SimState::kUnknown;
    }
    std::u16string code = answer.substr(at + 6, answer.find(u'\r', at) - at - 6);
    code.erase(0, code.find_first_not_of(u' '));
    if (code == u"READY") {
        return CModem::SimState::kReady;
    }
    if (code == u"SIM PIN") {
        return CModem::SimState::kPin;
    }
    if (code == u"NOT INSERTED") {
        return CModem::SimState::kAbsent;
    }
    // SIM PUK, SIM PIN2, PH-SIM PIN and the rest: codes a test program does not ask for.
    return CModem::SimState::kPuk;
}

bool SaysNoSim(const std::u16string& answer) {
    return answer.find(u"+CME ERROR: 10\r") != std::u16string::npos ||
           answer.find(u"+CME ERROR: SIM not inserted") != std::u16string::npos;
}

bool IsPin(const std::u16string& pin) {
    return pin.size() >= 4 && pin.size() <= 8 &&
           std::all_of(pin.begin(), pin.end(), [](char16_t unit) { return unit >= u'0' && unit <= u'9'; });
}

}  // namespace

CModem::SimState CModem::AskSimState() {
    if (SendLine(u"AT+CPIN?") == 0) {
        return SimState::kUnknown;
    }
    std::u16string answer;
    // Kept whatever it says: "+CME ERROR: 10" is the answer that tells there is no SIM.
    AwaitAnswer(EveryUnit(
        [&](const std::u16string& response) {
            answer = response;
            return DecideFinalResult(response);
        },
        kSilenceMs));
    ResetResponse();
    return SaysNoSim(answer) ? SimState::kAbsent : StateOfAnswer(answer);
}

std::optional<std::int32_t> CModem::PinAttemptsLeft() {
    std::u16string answer;
    if (Ask(u"AT+CPINR=\"SIM PIN\"", answer) != 1) {
        return std::nullopt;
    }
    const std::size_t at = answer.find(u"+CPINR: SIM PIN,");
    if (at == std::u16string::npos) {
        return std::nullopt;
    }
    std::size_t digit = at + 16;
    std::int32_t left = 0;
    for (; digit < answer.size() && answer[digit] >= u'0' && answer[digit] <= u'9' && left < 100;
         ++digit) {
        left = left * 10 + (answer[digit] - u'0');
    }
    return digit > at + 16 ? std::optional<std::int32_t>(left) : std::nullopt;
}

std::int32_t CModem::EnterPin(const std::u16string& pin) {
    return IsPin(pin) ? RunCommand(u"AT+CPIN=\"" + pin + u"\"") : 0;
}
