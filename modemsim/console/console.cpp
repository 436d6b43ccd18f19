#include "modemsim/console/console.h"

#include <algorithm>
#include <random>
#include <vector>

#include "modemlink/tracetext/byte_escapes.h"
#include "modemsim/at/at_syntax.h"
#include "modemsim/at/message_parts.h"
#include "modemsim/at/sms_text.h"

namespace modemsim {

using tracetext::EscapeBytes;
using tracetext::EscapeText;
using tracetext::UnescapeBytes;

namespace {

constexpr long kMaxInjectBytes = 65536;

// The words of a line, and the rest of it from a word on with its spaces kept (for texts).
class Words {
public:
    explicit Words(std::string_view line) : m_line(line) {
        std::size_t pos = 0;
        while ((pos = line.find_first_not_of(" \t", pos)) != std::string_view::npos) {
            const std::size_t end = std::min(line.find_first_of(" \t", pos), line.size());
            m_starts.push_back(pos);
            m_words.emplace_back(line.substr(pos, end - pos));
            pos = end;
        }
    }
    std::size_t Count() const { return m_words.size(); }
    const std::string& operator[](std::size_t i) const { return m_words[i]; }
    std::string From(std::size_t i) const { return std::string(m_line.substr(m_starts[i])); }

private:
    std::string_view m_line;
    std::vector<std::string> m_words;
    std::vector<std::size_t> m_starts;
};

std::optional<long> Number(const std::string& word, long low, long high) {
    return ParseDecimalIn(word, low, high);
}

std::optional<bool> OnOff(const std::string& word) {
    if (word == "on") {
        return true;
    }
    if (word == "off") {
        return false;
    }
    return std::nullopt;
}

std::string Usage(const std::string& usage) {
    return "usage: " + usage;
}
std::string Report(const VerbResult& result) {
    return result.ok ? result.message : "refused: " + result.message;
}

using Verb = std::string (*)(Simulator& simulator, const Words& words);

std::optional<SmsDelivery> DeliveryOf(const Words& words, std::size_t first) {
    const std::optional<std::string> text = UnescapeBytes(words.From(first + 1));
    if (!text) {
        return std::nullopt;
    }
    SmsDelivery delivery;
    delivery.sender = words[first];
    delivery.text = *text;
    return delivery;
}

constexpr const char* kBadEscape =
    "refused: bad escape in the text (\\r \\n \\0 \\e \\z \\xHH \\\\)";

std::string Deliver(Simulator& simulator, const Words& words, std::size_t first,
                    std::optional<int> slot, SmsCoding coding = SmsCoding::kAuto) {
    std::optional<SmsDelivery> delivery = DeliveryOf(words, first);
    if (!delivery) {
        return kBadEscape;
    }
    delivery->slot = slot;
    delivery->coding = coding;
    return Report(simulator.DeliverSms(*delivery));
}

std::string DeliverParts(Simulator& simulator, const Words& words, std::size_t first,
                         const PartDelivery& how) {
    const std::optional<SmsDelivery> delivery = DeliveryOf(words, first);
    return delivery ? Report(simulator.DeliverParts(*delivery, how)) : kBadEscape;
}

std::string SmsVerb(Simulator& simulator, const Words& words) {
    if (words.Count() < 3) {
        return Usage("sms FROM TEXT");
    }
    return Deliver(simulator, words, 1, std::nullopt);
}

std::string SmsGsmVerb(Simulator& simulator, const Words& words) {
    if (words.Count() < 3) {
        return Usage("sms-gsm FROM TEXT");
    }
    return Deliver(simulator, words, 1, std::nullopt, SmsCoding::kGsm);
}

std::string SmsUcs2Verb(Simulator& simulator, const Words& words) {
    if (words.Count() < 3) {
        return Usage("sms-ucs2 FROM TEXT");
    }
    return Deliver(simulator, words, 1, std::nullopt, SmsCoding::kUcs2);
}

// Slots are numbered as the SMS profile's storage is: the simulator says when one is out of range.
constexpr long kHighestSlot = 9999;

std::string SmsToVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> slot =
        words.Count() >= 4 ? Number(words[1], 0, kHighestSlot) : std::nullopt;
    if (!slot) {
        return Usage("sms-to SLOT FROM TEXT");
    }
    return Deliver(simulator, words, 2, static_cast<int>(*slot));
}

std::string SmsReverseVerb(Simulator& simulator, const Words& words) {
    if (words.Count() < 3) {
        return Usage("sms-reverse FROM TEXT");
    }
    PartDelivery how;
    how.reversed = true;
    return DeliverParts(simulator, words, 1, how);
}

std::string SmsLoseVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> part =
        words.Count() >= 4 ? Number(words[1], 1, static_cast<long>(kMaxParts)) : std::nullopt;
    if (!part) {
        return Usage("sms-lose PART FROM TEXT");
    }
    PartDelivery how;
    how.missingPart = static_cast<int>(*part);
    return DeliverParts(simulator, words, 2, how);
}

std::string SmsGapVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> gap =
        words.Count() >= 4 ? Number(words[1], 0, kMaxDelayMs) : std::nullopt;
    if (!gap) {
        return Usage("sms-gap MS(0-" + std::to_string(kMaxDelayMs) + ") FROM TEXT");
    }
    PartDelivery how;
    how.gapMs = static_cast<int>(*gap);
    return DeliverParts(simulator, words, 2, how);
}

std::string BurstVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> count =
        words.Count() == 3 ? Number(words[1], 1, kMaxBurst) : std::nullopt;
    const std::optional<long> gap =
        words.Count() == 3 ? Number(words[2], 0, kMaxDelayMs) : std::nullopt;
    if (!count || !gap) {
        return Usage("burst COUNT(1-" + std::to_string(kMaxBurst) + ") GAP_MS(0-" +
                     std::to_string(kMaxDelayMs) + ")");
    }
    return Report(
        simulator.DeliverBurst(static_cast<int>(*count), static_cast<int>(*gap), "10086"));
}

std::string UrcVerb(Simulator& simulator, const Words& words) {
    if (words.Count() == 2 && words[1] == "off") {
        return Report(simulator.SetPeriodicLine({}, 0));
    }
    const std::optional<long> period =
        words.Count() >= 3 ? Number(words[1], 1, kMaxRingPeriodMs) : std::nullopt;
    const std::optional<std::string> line = period ? UnescapeBytes(words.From(2)) : std::nullopt;
    if (!line) {
        return Usage("urc MS LINE | urc off (escapes: \\r \\n \\0 \\e \\z \\xHH \\\\)");
    }
    return Report(simulator.SetPeriodicLine(*line, static_cast<int>(*period)));
}

std::string ClearVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> slot =
        words.Count() == 2 ? Number(words[1], 0, kHighestSlot) : std::nullopt;
    if (!slot) {
        return Usage("clear SLOT");
    }
    return Report(simulator.ClearSlot(static_cast<int>(*slot)));
}

std::string RingVerb(Simulator& simulator, const Words& words) {
    if (words.Count() != 2) {
        return Usage("ring NUMBER|withheld");
    }
    const std::optional<std::string> number =
        words[1] == "withheld" ? std::nullopt : std::optional<std::string>(words[1]);
    return Report(simulator.Ring(number));
}

std::string HangUpVerb(Simulator& simulator, const Words& words) {
    return words.Count() == 1 ? Report(simulator.RemoteHangUp()) : Usage("hangup");
}

std::optional<DialFailure> FailureNamed(const Words& words) {
    static const std::pair<const char*, DialFailure> kFailures[] = {
        {"busy", DialFailure::kBusy},
        {"noanswer", DialFailure::kNoAnswer},
        {"nodialtone", DialFailure::kNoDialTone},
    };
    if (words.Count() == 2) {
        for (const auto& [name, failure] : kFailures) {
            if (words[1] == name) {
                return failure;
            }
        }
    }
    return std::nullopt;
}

std::string CallFailVerb(Simulator& simulator, const Words& words) {
    const std::optional<DialFailure> failure = FailureNamed(words);
    return failure ? Report(simulator.FailDialledCall(*failure)) : Usage("callfail");
}

std::string DialFailVerb(Simulator& simulator, const Words& words) {
    const std::optional<DialFailure> failure = FailureNamed(words);
    if (!failure) {
        return Usage("dialfail busy|noanswer|nodialtone");
    }
    simulator.FailNextDial(*failure);
    return "the next dial fails at once";
}

std::string CutReportsVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> bytes = words.Count() != 2 ? std::nullopt
                                      : words[1] == "off"
                                          ? 0L
                                          : Number(words[1], 1, static_cast<long>(kMaxSplitBytes));
    if (!bytes) {
        return Usage("cutreports BYTES(1-" + std::to_string(kMaxSplitBytes) + ")|off");
    }
    return Report(simulator.SetCutReports(static_cast<std::size_t>(*bytes)));
}

std::string PickUpVerb(Simulator& simulator, const Words& words) {
    return words.Count() == 1 ? Report(simulator.RemoteAnswer()) : Usage("pickup");
}

std::string ProfileVerb(Simulator& simulator, const Words& words) {
    return words.Count() == 2 ? Report(simulator.SetCallProfile(words[1]))
                              : Usage("profile " + CallProfileNames());
}

std::string SmsProfileVerb(Simulator& simulator, const Words& words) {
    return words.Count() == 2 ? Report(simulator.SetSmsProfile(words[1]))
                              : Usage("smsprofile " + SmsProfileNames());
}

// sim pin NNNN | sim pin off | sim out | sim in
std::string SimVerb(Simulator& simulator, const Words& words) {
    if (words.Count() == 3 && words[1] == "pin") {
        return Report(simulator.SetSimPin(
            words[2] == "off" ? std::nullopt : std::optional<std::string>(words[2])));
    }
    if (words.Count() == 2 && (words[1] == "in" || words[1] == "out")) {
        simulator.SetSimInserted(words[1] == "in");
        return words[1] == "in" ? "the SIM is in" : "the SIM is out";
    }
    return Usage("sim pin NNNN|off | sim in|out");
}

std::string BootVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> ms =
        words.Count() == 2 ? Number(words[1], 0, kMaxDelayMs) : std::nullopt;
    if (!ms) {
        return Usage("boot MS(0-" + std::to_string(kMaxDelayMs) + ")");
    }
    return Report(simulator.SetBootDelay(static_cast<int>(*ms)));
}

std::string BootProfileVerb(Simulator& simulator, const Words& words) {
    return words.Count() == 2 ? Report(simulator.SetBootProfile(words[1]))
                              : Usage("bootprofile " + BootProfileNames());
}

std::string ResetVerb(Simulator& simulator, const Words& words) {
    return words.Count() == 1 ? Report(simulator.Reset()) : Usage("reset");
}

std::string ListVerb(Simulator& simulator, const Words& words) {
    return words.Count() == 1 ? ListReport(simulator.Snapshot()) : Usage("list");
}

std::string StatusVerb(Simulator& simulator, const Words& words) {
    if (words.Count() != 1) {
        return Usage("status");
    }
    const std::string device = simulator.DevicePath();
    return StatusReport(simulator.Snapshot(),
                        simulator.PluggedIn() ? device : device + " (unplugged)");
}

std::string UnplugVerb(Simulator& simulator, const Words& words) {
    if (words.Count() == 1) {
        return Report(simulator.Unplug());
    }
    const std::optional<long> ms =
        words.Count() == 2 ? Number(words[1], 0, kMaxUnplugMs) : std::nullopt;
    if (!ms) {
        return Usage("unplug [MS(0-" + std::to_string(kMaxUnplugMs) + ")]");
    }
    return Report(simulator.UnplugFor(static_cast<int>(*ms)));
}

std::string ReplugVerb(Simulator& simulator, const Words& words) {
    return words.Count() == 1 ? Report(simulator.Replug()) : Usage("replug");
}

std::string CregVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> status = words.Count() == 2 ? Number(words[1], 0, 5) : std::nullopt;
    if (!status) {
        return Usage("creg STAT(0-5)");
    }
    return Report(simulator.SetRegistration(static_cast<int>(*status)));
}

std::string SilentVerb(Simulator& simulator, const Words& words) {
    const std::optional<bool> on = words.Count() == 2 ? OnOff(words[1]) : std::nullopt;
    if (!on) {
        return Usage("silent on|off");
    }
    simulator.SetSilent(*on);
    return *on ? "silent: the modem answers nothing" : "silent off";
}

std::string ErrorVerb(Simulator& simulator, const Words& words) {
    if (words.Count() != 2) {
        return Usage("error all|off|COMMAND");
    }
    if (words[1] == "off") {
        simulator.ClearErrors();
        return "errors off";
    }
    if (words[1] == "all") {
        simulator.SetErrorAll(true);
        return "ERROR to every line";
    }
    return Report(simulator.AddErrorCommand(words[1]));
}

std::string DelayVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> ms =
        words.Count() == 2 ? Number(words[1], 0, kMaxDelayMs) : std::nullopt;
    if (!ms) {
        return Usage("delay MS(0-" + std::to_string(kMaxDelayMs) + ")");
    }
    return Report(simulator.SetAnswerDelay(static_cast<int>(*ms)));
}

std::string SplitVerb(Simulator& simulator, const Words& words) {
    if (words.Count() == 2 && words[1] == "off") {
        return Report(simulator.SetSplit(0, 0));
    }
    const std::optional<long> bytes =
        words.Count() == 3 ? Number(words[1], 1, static_cast<long>(kMaxSplitBytes)) : std::nullopt;
    const std::optional<long> gap =
        words.Count() == 3 ? Number(words[2], 0, kMaxDelayMs) : std::nullopt;
    if (!bytes || !gap) {
        return Usage("split BYTES(1-" + std::to_string(kMaxSplitBytes) + ") GAP_MS(0-" +
                     std::to_string(kMaxDelayMs) + ") | split off");
    }
    return Report(simulator.SetSplit(static_cast<std::size_t>(*bytes), static_cast<int>(*gap)));
}

std::string SendFailVerb(Simulator& simulator, const Words& words) {
    if (words.Count() == 2 && words[1] == "off") {
        simulator.SetSendError(std::nullopt);
        return "messages are sent";
    }
    const std::optional<long> code = words.Count() == 2 ? Number(words[1], 0, 511) : std::nullopt;
    if (!code) {
        return Usage("sendfail CODE(0-511)|off");
    }
    simulator.SetSendError(static_cast<int>(*code));
    return "every message fails with +CMS ERROR: " + words[1];
}

std::string EmptyReadVerb(Simulator& simulator, const Words& words) {
    if (words.Count() != 2 || (words[1] != "ok" && words[1] != "error")) {
        return Usage("emptyread ok|error");
    }
    simulator.SetEmptyReadError(words[1] == "error");
    return "empty slots read as " + std::string(words[1] == "ok" ? "OK" : "+CMS ERROR: 321");
}

std::string InjectVerb(Simulator& simulator, const Words& words) {
    const std::optional<std::string> bytes =
        words.Count() >= 2 ? UnescapeBytes(words.From(1)) : std::nullopt;
    if (!bytes) {
        return Usage("inject BYTES (escapes: \\r \\n \\0 \\e \\z \\xHH \\\\)");
    }
    simulator.InjectRaw(*bytes);
    return std::to_string(bytes->size()) + " bytes written";
}

std::string GarbageVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> count =
        words.Count() == 2 ? Number(words[1], 1, kMaxInjectBytes) : std::nullopt;
    if (!count) {
        return Usage("garbage COUNT(1-65536)");
    }
    std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(*count));
    std::string bytes;
    for (long i = 0; i < *count; ++i) {
        bytes.push_back(static_cast<char>(generator() & 0xFF));
    }
    simulator.InjectRaw(bytes);
    return words[1] + " bytes of garbage written";
}

std::string LongLineVerb(Simulator& simulator, const Words& words) {
    const std::optional<long> length =
        words.Count() == 2 ? Number(words[1], 1, kMaxInjectBytes) : std::nullopt;
    if (!length) {
        return Usage("longline LENGTH(1-65536)");
    }
    simulator.InjectRaw(std::string(static_cast<std::size_t>(*length), 'A') + "\r\n");
    return "a line of " + words[1] + " characters written";
}

std::string TraceVerb(Simulator& simulator, const Words& words) {
    const std::optional<bool> on = words.Count() == 2 ? OnOff(words[1]) : std::nullopt;
    if (!on) {
        return Usage("trace on|off");
    }
    simulator.EnableTrace(*on);
    return *on ? "trace on" : "trace off";
}

struct VerbEntry {
    const char* name;
    std::string usage;
    Verb verb;
};

const VerbEntry kVerbs[] = {
    {"sms",
     "sms FROM TEXT            deliver an SMS into the first free slot (GSM alphabet"
     " when the text fits it, else UCS2); a long text as parts",
     SmsVerb},
    {"sms-gsm", "sms-gsm FROM TEXT        the same, coded in the GSM alphabet", SmsGsmVerb},
    {"sms-ucs2", "sms-ucs2 FROM TEXT       the same, coded in UCS2", SmsUcs2Verb},
    {"sms-reverse", "sms-reverse FROM TEXT    a long text's parts, the last first", SmsReverseVerb},
    {"sms-lose", "sms-lose PART FROM TEXT  a long text whose part PART never comes", SmsLoseVerb},
    {"sms-gap", "sms-gap MS FROM TEXT     a long text's parts, MS ms apart", SmsGapVerb},
    {"burst", "burst COUNT GAP_MS       COUNT messages from 10086, GAP_MS ms apart", BurstVerb},
    {"sms-to",
     "sms-to SLOT FROM TEXT    deliver an SMS into slot SLOT (1-20, or as the SMS profile"
     " numbers them)",
     SmsToVerb},
    {"clear", "clear SLOT               empty slot SLOT", ClearVerb},
    {"ring", "ring NUMBER|withheld     an incoming call: RING until answered or ended", RingVerb},
    {"hangup", "hangup                   the other side ends the call", HangUpVerb},
    {"pickup", "pickup                   the other side answers the dialled call", PickUpVerb},
    {"callfail", "callfail busy|noanswer|nodialtone  a dialled call ends unconnected",
     CallFailVerb},
    {"dialfail",
     "dialfail busy|noanswer|nodialtone  the next dial fails at once, in its OK's write",
     DialFailVerb},
    {"profile",
     "profile NAME             report calls as that module family does: " + CallProfileNames(),
     ProfileVerb},
    {"smsprofile",
     "smsprofile NAME          file and hand over messages as that module family does: " +
         SmsProfileNames(),
     SmsProfileVerb},
    {"sim",
     "sim pin NNNN|off | sim in|out  a SIM that asks for PIN NNNN (4-8 digits, locked now, 3"
     " tries) or for none; the SIM put in or taken out",
     SimVerb},
    {"boot", "boot MS                  the module starts up MS ms after power-on (0: at once)",
     BootVerb},
    {"bootprofile",
     "bootprofile NAME         come up as that module family does: " + BootProfileNames(),
     BootProfileVerb},
    {"reset", "reset                    restart the module on the same device, as at power-on",
     ResetVerb},
    {"list", "list                     storage and outbox", ListVerb},
    {"status", "status                   settings, call and faults", StatusVerb},
    {"creg", "creg STAT                network registration status (0-5)", CregVerb},
    {"silent", "silent on|off            answer nothing at all", SilentVerb},
    {"error", "error all|off|COMMAND    ERROR to every line, to none, or to COMMAND (+CMGS, D)",
     ErrorVerb},
    {"delay", "delay MS                 hold every answer back MS ms (0: off)", DelayVerb},
    {"split", "split BYTES GAP_MS|off   write answers in pieces, GAP_MS ms apart", SplitVerb},
    {"cutreports", "cutreports BYTES|off     write each call report in two, cut after BYTES",
     CutReportsVerb},
    {"sendfail", "sendfail CODE|off        every message sent fails with +CMS ERROR: CODE",
     SendFailVerb},
    {"emptyread", "emptyread ok|error       an empty slot reads as OK or +CMS ERROR: 321",
     EmptyReadVerb},
    {"inject", "inject BYTES             write raw bytes (\\r \\n \\0 \\e \\z \\xHH \\\\)",
     InjectVerb},
    {"garbage", "garbage COUNT            write COUNT pseudo-random bytes", GarbageVerb},
    {"longline", "longline LENGTH          write a line of LENGTH characters", LongLineVerb},
    {"urc", "urc MS LINE|off          write LINE every MS ms, as a chatty module does", UrcVerb},
    {"unplug",
     "unplug [MS]              pull the modem off the bus (the device hangs up and goes); back"
     " as a fresh device, as after a reset, after MS ms or at replug",
     UnplugVerb},
    {"replug", "replug                   plug the unplugged modem in again", ReplugVerb},
    {"trace", "trace on|off             show the dialogue on stderr", TraceVerb},
};

}  // namespace

std::string Console::Help() {
    std::string help = "help                     this list\n";
    for (const VerbEntry& entry : kVerbs) {
        help += entry.usage;
        help += '\n';
    }
    help += "quit                     end the simulator";
    return help;
}

std::string Console::Execute(std::string_view line) {
    const Words words(line);
    if (words.Count() == 0) {
        return {};
    }
    if (words[0] == "help") {
        return Help();
    }
    if (words[0] == "quit" || words[0] == "exit") {
        m_quit = true;
        return "bye";
    }
    for (const VerbEntry& entry : kVerbs) {
        if (words[0] == entry.name) {
            return entry.verb(m_simulator, words);
        }
    }
    return "unknown verb '" + EscapeBytes(words[0]) + "' (help lists the verbs)";
}

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
           ", sendfail " + (faults.sendError ? std::to_string(*faults.sendError) : "off") +
           ", urc " +
           (faults.periodicMs == 0 ? std::string("off")
                                   : std::to_string(faults.periodicMs) + " ms \"" +
                                         EscapeBytes(faults.periodicLine) + "\"");
}

std::string CnmiText(const Settings& settings) {
    std::string text;
    for (int value : settings.newMessageIndication) {
        text += (text.empty() ? "" : ",") + std::to_string(value);
    }
    return text;
}

std::string SimText(const SimCard& sim) {
    if (!sim.inserted) {
        return "out";
    }
    if (sim.pin.empty()) {
        return "in, no PIN";
    }
    return "in, PIN " + sim.pin + (sim.unlocked ? " given" : "") + ", " +
           std::to_string(sim.pinTriesLeft) + " of " + std::to_string(kPinTries) + " tries left";
}

std::string PartText(const MessagePart& part) {
    return "part " + std::to_string(part.sequence) + "/" + std::to_string(part.total) + " ref " +
           std::to_string(part.reference) + "  ";
}

std::string PartText(const StoredSms& sms) {
    return sms.part ? PartText(*sms.part) : std::string();
}

}  // namespace

std::string ListReport(const ModemState& state) {
    std::string text;
    for (const Memory memory : {Memory::kSim, Memory::kPhone}) {
        const auto messages = StorageOf(state, memory).Occupied();
        if (memory == Memory::kPhone && messages.empty()) {
            continue;  // a storage that programs seldom choose: shown once it holds something
        }
        text += std::string(text.empty() ? "" : "\n") +
                (memory == Memory::kPhone ? "phone storage ME (" : "storage (") +
                std::to_string(messages.size()) + " of " +
                std::to_string(StorageOf(state, memory).Size()) + "):";
        for (const auto& [index, sms] : messages) {
            text += "\n  " + std::string(index < 10 ? " " : "") + std::to_string(index) + "  " +
                    (sms.read ? "REC READ  " : "REC UNREAD") + "  " + EscapeText(sms.sender) +
                    "  " + sms.timestamp + "  " + PartText(sms) + EscapeText(sms.text);
        }
    }
    text += "\noutbox (" + std::to_string(state.outbox.size()) + "):";
    for (const SentSms& sent : state.outbox) {
        text += "\n  mr " + std::to_string(sent.reference) + "  to " +
                EscapeText(sent.destination) + "  " + (sent.pdu ? "PDU  " : "") +
                (sent.part ? PartText(*sent.part) : "") + EscapeText(sent.text);
    }
    return text;
}

std::string StatusReport(const ModemState& state, const std::string& devicePath) {
    const Settings& s = state.settings;
    return "device " + devicePath + "\necho " + OnOff(s.echo) + ", clip " + OnOff(s.clip) +
           ", cmgf " + (s.textMode ? "1" : "0") + ", cscs " + CharsetName(s.charset) + ", creg " +
           std::to_string(s.cregMode) + " (status " + std::to_string(s.registration) +
           "), csca \"" + s.scaNumber + "\"," + std::to_string(s.scaType) + ", ipr " +
           std::to_string(s.baudRate) + ", cnmi " + CnmiText(s) + "\ncall " + CallText(state.call) +
           "\nfaults " + FaultText(state.faults) + ", emptyread " +
           (state.emptyReadError ? "error" : "ok") + "\nsms profile " +
           HabitsOf(state.smsProfile).name + "\nsim " + SimText(state.sim) + "\nboot profile " +
           BootOf(state.bootProfile).name + ", " + std::to_string(state.bootMs) + " ms" +
           (state.startUp.phase == StartUpPhase::kNone ? "" : ", starting up");
}

}  // namespace modemsim
