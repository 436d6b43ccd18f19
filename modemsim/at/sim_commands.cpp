#include <string>
#include <string_view>
#include <vector>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/commands.h"
#include "modemsim/at/reply.h"
#include "modemsim/at/start_up.h"

namespace modemsim {

// The SIM: whether it asks for its PIN, the PIN itself, the tries left and who it belongs to, on
// the test network 001-01.

namespace {

constexpr const char* kImsi = "001010123456789";
// The SIM keeps its own count of PUK tries; nothing here can spend them.
constexpr int kPukTries = 10;

Reply SubscriberIdentity(ModemState& /*state*/, const AtCommand& /*command*/) {
    return Reply::Ok(InfoLine(kImsi));
}

Reply ReadPin(ModemState& state, const AtCommand& /*command*/) {
    const SimStatus status = StatusOf(state.sim);
    if (status == SimStatus::kAbsent) {
        return Reply::CmeError(kCmeSimNotInserted);
    }
    return Reply::Ok(InfoLine(std::string("+CPIN: ") + PinCode(status)));
}

// AT+CPIN="<pin>": the right one unlocks the SIM, which the module then reads; a wrong one spends
// a try. AT+CPIN="<puk>","<newpin>" would unblock it: this modem has no PUK to check it against.
Reply EnterPin(ModemState& state, const AtCommand& command) {
    const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
    if (!args || args->empty() || args->size() > 2) {
        return Reply::CmeError(kCmeIncorrectParameters);
    }
    SimCard& sim = state.sim;
    switch (StatusOf(sim)) {
        case SimStatus::kAbsent:
            return Reply::CmeError(kCmeSimNotInserted);
        case SimStatus::kReady:
            return Reply::CmeError(kCmeNotAllowed);
        case SimStatus::kPuk:
            return Reply::CmeError(args->size() == 2 ? kCmeNotSupported : kCmeSimPukRequired);
        case SimStatus::kPin:
            break;
    }
    if (args->front().text != sim.pin) {
        --sim.pinTriesLeft;
        return Reply::CmeError(kCmeIncorrectPassword);
    }
    sim.unlocked = true;
    sim.pinTriesLeft = kPinTries;
    BeginSimRead(state);
    Reply reply = Reply::Ok();
    if (BootOf(state.bootProfile).reportsSim) {
        reply.after = InfoLine("+CPIN: READY");
    }
    return reply;
}

// A selection as AT+CPINR takes it, '*' matching any run of characters: "SIM*" picks "SIM PIN".
// Each '*' is tried at one place after another, without recursion, so that a line of stars
// costs no more than the pattern's length times the code's.
bool Matches(std::string_view pattern, std::string_view code) {
    constexpr std::size_t kNone = std::string_view::npos;
    std::size_t p = 0;
    std::size_t c = 0;
    std::size_t star = kNone;
    std::size_t resume = 0;
    while (c < code.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = c;
        } else if (p < pattern.size() && pattern[p] == code[c]) {
            ++p;
            ++c;
        } else if (star != kNone) {
            p = star + 1;
            c = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// AT+CPINR[="<sel_code>"]: the tries left of each code selected, and of how many, one a line:
//   +CPINR: SIM PIN,2,3
// A selection that picks none answers OK alone.
Reply RemainingTries(ModemState& state, const AtCommand& command) {
    if (!state.sim.inserted) {
        return Reply::CmeError(kCmeSimNotInserted);
    }
    std::string pattern = "*";
    if (command.form == CommandForm::kSet) {
        const std::optional<std::vector<AtArg>> args = SplitArgs(command.args);
        if (!args || args->size() != 1 || !args->front().quoted) {
            return Reply::CmeError(kCmeIncorrectParameters);
        }
        pattern = args->front().text;
    }
    const struct {
        const char* code;
        int left;
        int of;
    } tries[] = {{"SIM PIN", state.sim.pinTriesLeft, kPinTries}, {"SIM PUK", kPukTries, kPukTries}};
    std::string lines;
    for (const auto& entry : tries) {
        if (Matches(pattern, entry.code)) {
            lines += InfoLine("+CPINR: " + std::string(entry.code) + "," +
                              std::to_string(entry.left) + "," + std::to_string(entry.of));
        }
    }
    return Reply::Ok(lines);
}

}  // namespace

const std::vector<CommandEntry>& SimCommands() {
    static const std::vector<CommandEntry> commands = {
        {"+CPIN", nullptr, ReadPin, Supported, EnterPin, Needs::kStartedUp},
        {"+CPINR", RemainingTries, nullptr, Supported, RemainingTries, Needs::kStartedUp},
        {"+CIMI", SubscriberIdentity, nullptr, Supported, nullptr, Needs::kSim},
    };
    return commands;
}

}  // namespace modemsim
