#include "modemsim/at/start_up.h"

#include "modemsim/at/call_profile.h"

namespace modemsim {

namespace {

void Begin(ModemState& state, StartUpPhase phase) {
    state.startUp.phase = phase;
    ++state.startUp.generation;
}

// The errors of a SIM that is not ready, in the order of SimStatus; READY has none.
struct SimErrors {
    int cme;
    int cms;
};
constexpr SimErrors kSimErrors[] = {
    {0, 0},
    {kCmeSimPinRequired, kSimPinRequired},
    {kCmeSimPukRequired, kSimPukRequired},
    {kCmeSimNotInserted, kSimNotInserted},
};

}  // namespace

const char* PinCode(SimStatus status) {
    switch (status) {
        case SimStatus::kReady:
            return "READY";
        case SimStatus::kPin:
            return "SIM PIN";
        case SimStatus::kPuk:
            return "SIM PUK";
        case SimStatus::kAbsent:
            return "NOT INSERTED";
    }
    return "READY";
}

std::string BeginBoot(ModemState& state) {
    Begin(state, StartUpPhase::kBooting);
    return FramedReport(BootOf(state.bootProfile).powerOn);
}

void BeginSimRead(ModemState& state) {
    Begin(state, StartUpPhase::kReadingSim);
}

std::string FinishStartUp(ModemState& state, std::uint64_t generation) {
    StartUp& startUp = state.startUp;
    if (startUp.phase == StartUpPhase::kNone || startUp.generation != generation) {
        return {};
    }
    const BootHabits& habits = BootOf(state.bootProfile);
    const SimStatus sim = StatusOf(state.sim);
    std::string lines;
    if (startUp.phase == StartUpPhase::kBooting) {
        lines += FramedReport(habits.started);
        if (habits.reportsSim) {
            lines += InfoLine(std::string("+CPIN: ") + PinCode(sim));
        }
    }
    if (sim == SimStatus::kReady) {
        lines += FramedReport(habits.ready);
    }
    startUp.phase = StartUpPhase::kNone;
    return lines;
}

std::optional<Reply> Refusal(const ModemState& state, Needs needs) {
    if (needs == Needs::kNothing) {
        return std::nullopt;
    }
    if (state.startUp.phase != StartUpPhase::kNone) {
        const int busy = BootOf(state.bootProfile).busyError;
        return busy == 0 ? Reply::Error() : Reply::CmeError(busy);
    }
    const SimStatus sim = StatusOf(state.sim);
    if (needs == Needs::kStartedUp || sim == SimStatus::kReady) {
        return std::nullopt;
    }
    const SimErrors& errors = kSimErrors[static_cast<int>(sim)];
    return needs == Needs::kSim ? Reply::CmeError(errors.cme) : Reply::CmsError(errors.cms);
}

}  // namespace modemsim
