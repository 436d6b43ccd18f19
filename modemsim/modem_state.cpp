#include "modemsim/modem_state.h"

namespace modemsim {

void RestoreProfile(Settings& settings) {
    const Settings defaults;
    settings.echo = defaults.echo;
    settings.clip = defaults.clip;
    settings.textMode = defaults.textMode;
    settings.charset = defaults.charset;
    settings.cregMode = defaults.cregMode;
}

void EndCall(Call& call) {
    call.phase = CallPhase::kIdle;
    call.outgoing = false;
    call.number.clear();
    ++call.generation;
}

int TakeReference(ModemState& state) {
    const int reference = state.nextReference;
    state.nextReference = (reference + 1) % 256;
    return reference;
}

}  // namespace modemsim
