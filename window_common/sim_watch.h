#pragma once
// What a window does about its modem's SIM: after each start-up, at a readiness line, and when a
// command was refused for the SIM's sake, it asks AT+CPIN? and
//   - asks the user for the PIN where the SIM wants it (attempts left where the module tells),
//     sends it, and asks again after a wrong one: a refused PIN is never sent again on its own.
//     Once the SIM has taken it, the program's set-up list runs again. Cancel leaves the SIM
//     locked: said once, then commands fail at once (the module refuses them) and nothing asks
//     again until the module reports a change;
//   - says once that the SIM wants its PUK (or another code), which a phone must give;
//   - says once that there is no SIM.
// With an unlocked SIM nothing is shown.
//
// Thread contract: the window's thread only, like the channel's commands.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class CModem;

inline constexpr char16_t kPinCaption[] = u"SIM卡PIN码";
inline constexpr char16_t kPinPrompt[] = u"请输入SIM卡的PIN码:";
inline constexpr char16_t kPinWrong[] = u"PIN码错误, 请重新输入:";
inline constexpr char16_t kPinAttemptsLeft[] = u"剩余尝试次数: ";
inline constexpr char16_t kSimLocked[] = u"SIM卡未解锁, 短信和通话不可用.";
inline constexpr char16_t kSimNeedsPuk[] = u"SIM卡已被锁定, 请在手机上用PUK码解锁.";
inline constexpr char16_t kNoSim[] = u"未检测到SIM卡.";

class SimWatch {
public:
    // Shows the prompt's text and returns what the user typed (4-8 digits), or nothing for
    // cancel.
    using AskPin = std::function<std::optional<std::u16string>(const std::u16string& text)>;

    explicit SimWatch(CModem& modem) : m_modem(modem) {}

    // The notice to show, or nullptr.
    const char16_t* Check(const AskPin& ask);
    // A command was refused for the SIM's sake: whether to Check. Not while a state already said
    // stands: its commands fail, as the user has been told.
    bool WantsCheck() const { return !m_said; }
    // The module reported a change (+CPIN: READY, a reset): what was said no longer holds.
    void Changed() { m_said = false; }

private:
    const char16_t* AskForPin(const AskPin& ask);
    const char16_t* SayOnce(const char16_t* notice);
    std::u16string PromptText(bool wrong);

    CModem& m_modem;
    bool m_said = false;
};
