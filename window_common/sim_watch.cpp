#include "window_common/sim_watch.h"

#include <string>

#include "modemlink/modem.h"

const char16_t* SimWatch::Check(const AskPin& ask) {
    switch (m_modem.AskSimState()) {
        case CModem::SimState::kReady:
        case CModem::SimState::kUnknown:  // a module without AT+CPIN?, or still booting
            return nullptr;
        case CModem::SimState::kPin:
            return AskForPin(ask);
        case CModem::SimState::kPuk:
            return SayOnce(kSimNeedsPuk);
        case CModem::SimState::kAbsent:
            return SayOnce(kNoSim);
    }
    return nullptr;
}

const char16_t* SimWatch::AskForPin(const AskPin& ask) {
    for (bool wrong = false;; wrong = true) {
        const std::optional<std::u16string> pin = ask(PromptText(wrong));
        if (!pin) {
            return SayOnce(kSimLocked);
        }
        if (m_modem.EnterPin(*pin) == 1) {
            m_said = false;
            m_modem.RerunSetup();
            return nullptr;
        }
        // Three wrong ones and the SIM wants its PUK: no PIN helps then.
        if (m_modem.AskSimState() != CModem::SimState::kPin) {
            return Check(ask);
        }
    }
}

const char16_t* SimWatch::SayOnce(const char16_t* notice) {
    if (m_said) {
        return nullptr;
    }
    m_said = true;
    return notice;
}

std::u16string SimWatch::PromptText(bool wrong) {
    std::u16string text = wrong ? kPinWrong : kPinPrompt;
    if (const std::optional<std::int32_t> left = m_modem.PinAttemptsLeft()) {
        const std::string count = std::to_string(*left);
        text += u"\n" + std::u16string(kPinAttemptsLeft) + std::u16string(count.begin(), count.end());
    }
    return text;
}
