// Voice calls: one command line each, decided by the channel's OK/ERROR rule.
//   ATD0123456789;   the ';' makes it a voice call and returns the modem to command state; on
//                    some module families only once the call connects (see Dial)
//   ATH              hook control: hang up (V.250)
//   ATA              answer the ringing call
//   AT+CHUP          hang up the call (27.007); some modules ignore ATH during a voice call
// A call report in place of the final result answers a command too (CallAnswer, EndAnswer).

#include <utility>

#include "modemlink/modem.h"

namespace {

// For a dial or an answer: OK, or CONNECT where the module answers only once the call is up, takes
// the call; ERROR, a numbered error or a failure (BUSY, NO CARRIER, ...) as the command's own
// result refuses it.
FinalResult CallAnswer(const std::u16string& answer) {
    const FinalResult result = DecideFinalResult(answer);
    if (result != FinalResult::kNone) {
        return result;
    }
    const std::vector<CallReport> reports = CallReportsOfLines(answer);
    if (reports.empty()) {
        return FinalResult::kNone;
    }
    return reports.front() == CallReport::kConnected ? FinalResult::kOk : FinalResult::kError;
}

// For a hang-up: OK, or a report that the call is over. By V.250 the command aborts a dial still
// being placed, which then ends in NO CARRIER without any OK; and a module may say that the call
// ended before it says OK. The call is gone either way.
FinalResult EndAnswer(const std::u16string& answer) {
    const FinalResult result = DecideFinalResult(answer);
    if (result != FinalResult::kNone) {
        return result;
    }
    for (const CallReport report : CallReportsOfLines(answer)) {
        if (report != CallReport::kConnected) {
            return FinalResult::kOk;
        }
    }
    return FinalResult::kNone;
}

}  // namespace

// Some module families (ZTE and Qualcomm-based ones) answer ATD<n>; only when the call connects.
// A dial that the module has taken (it echoed the line or said anything else) but neither
// accepted nor refused within the silence is being placed: 1, and a later call report settles
// it. Nothing at all back is a modem that is not there: 0, as for any unanswered command. No
// command (AT+CLCC, say) is sent to find out more: V.250 lets any character abort a dial still
// in progress.
std::int32_t CModem::Dial(std::u16string number) {
    std::u16string line = u"ATD";
    line += std::move(number) + u";";
    if (SendLine(std::move(line)) == 0) {
        return 0;
    }
    // The channel's own silence: a module that takes the dial answers within it.
    const WaitOutcome outcome = AwaitAnswer(EveryUnit(CallAnswer, kSilenceMs));
    ResetResponse();
    if (outcome.result == FinalResult::kNone) {
        return outcome.heard ? 1 : 0;
    }
    return outcome.result == FinalResult::kOk ? 1 : 0;
}

std::int32_t CModem::HangUp() {
    return RunCommand(u"ATH", EndAnswer);
}

std::int32_t CModem::Answer() {
    return RunCommand(u"ATA", CallAnswer);
}

std::int32_t CModem::Reject() {
    return RunCommand(u"AT+CHUP", EndAnswer);
}
