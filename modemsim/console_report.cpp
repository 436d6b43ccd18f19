#include "modemsim/console_report.h"

#include "modemsim/byte_escapes.h"
#include "modemsim/text_codec.h"

namespace modemsim {
namespace {

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

std::string CallText(const Call& call) {
    const std::string number = call.number.empty() ? "withheld" : call.number;
    switch (call.phase) {
        case CallPhase::kIdle:
            return "idle";
        case CallPhase::kRinging:
            return "ringing from " + number;
        case CallPhase::kActive:
            return call.outgoing ? "active, dialled " + number : "active, from " + number;
    }
    return "idle";
}

std::string FaultText(const Faults& faults) {
    std::string errors = faults.errorAll ? "all" : "";
    for (const std::string& name : faults.errorCommands) {
        errors += (errors.empty() ? "" : " ") + name;
    }
    return "silent " + OnOff(faults.silent) + ", error " + (errors.empty() ? "none" : errors) +
           ", delay " + std::to_string(faults.answerDelayMs) + " ms, split " +
           (faults.splitBytes == 0 ? std::string("off")
                                   : std::to_string(faults.splitBytes) + " bytes/" +
                                         std::to_string(faults.splitGapMs) + " ms") +
           ", sendfail " + (faults.sendError ? std::to_string(*faults.sendError) : "off");
}

}  // namespace

std::string ListReport(const ModemState& state) {
    const auto messages = state.storage.Occupied();
    std::string text =
        "storage (" + std::to_string(messages.size()) + " of " + std::to_string(kSlotCount) + "):";
    for (const auto& [index, sms] : messages) {
        text += "\n  " + std::string(index < 10 ? " " : "") + std::to_string(index) + "  " +
                (sms.read ? "REC READ  " : "REC UNREAD") + "  " + sms.sender + "  " +
                sms.timestamp + "  " + EscapeBytes(sms.text);
    }
    text += "\noutbox (" + std::to_string(state.outbox.size()) + "):";
    for (const SentSms& sent : state.outbox) {
        text += "\n  mr " + std::to_string(sent.reference) + "  " +
                (sent.pdu ? "PDU" : "to " + sent.destination) + "  " + EscapeBytes(sent.text);
    }
    return text;
}

std::string StatusReport(const ModemState& state, const std::string& devicePath) {
    const Settings& s = state.settings;
    return "device " + devicePath + "\necho " + OnOff(s.echo) + ", clip " + OnOff(s.clip) +
           ", cmgf " + (s.textMode ? "1" : "0") + ", cscs " + CharsetName(s.charset) + ", creg " +
           std::to_string(s.cregMode) + " (status " + std::to_string(s.registration) +
           "), csca \"" + s.scaNumber + "\"," + std::to_string(s.scaType) + ", ipr " +
           std::to_string(s.baudRate) + "\ncall " + CallText(state.call) + "\nfaults " +
           FaultText(state.faults) + ", emptyread " + (state.emptyReadError ? "error" : "ok");
}

}  // namespace modemsim
