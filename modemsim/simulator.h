#pragma once
// A simulated GSM modem on a pseudo-terminal: programs open DevicePath() as their serial device,
// while tests and the console drive the other end of the call and the network through the
// controller verbs below. Every verb that is refused says why and changes nothing.
//
// Thread contract: all public members may be called from any thread. Inside, a reader thread
// answers the terminal and a timer thread writes output, rings, writes periodic lines, hands over
// the messages that arrive over time or come again unacknowledged and ends the module's start-up
// (at/start_up.h); both reach the modem
// state only under ModemModel's lock (at/modem_state.h); both hand trace lines to the trace's
// writer thread without waiting for it.
// The destructor interrupts the pseudo-terminal, stops the timer thread, joins both threads and
// stops the trace writer (bounded: platform/core/trace_writer.h).
//
// The messages that the network delivers are in message_delivery.cpp.
//
// Each power-on (the first plug-in, a replug, Reset) starts the module up as the boot profile says
// (at/boot_profile.h): the power-on line at once, the rest once SimulatorOptions::bootMs has
// passed.
//
// The modem can be pulled off the bus and plugged in again (Unplug, Replug): each plug-in is a
// fresh pseudo-terminal, so DevicePath() changes; the link (SimulatorOptions::linkPath) names
// whichever is plugged in, as a USB modem comes back under the name a device rule gives it. The
// reader thread lives on across replugs and reads each new line.
//
// A read error on the pseudo-terminal ends the modem's answers until it is unplugged and plugged
// in again; it is reported on stderr, unless the modem was unplugged.

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "modemsim/at/modem_session.h"
#include "modemsim/at/modem_state.h"
#include "modemsim/line/plug.h"
#include "modemsim/line/timed_writes.h"
#include "modemsim/trace/trace.h"

namespace modemsim {

inline constexpr int kMinRingPeriodMs = 5;
inline constexpr int kMaxRingPeriodMs = 600000;
inline constexpr int kMaxDelayMs = 60000;
inline constexpr std::size_t kMaxSplitBytes = 4096;
inline constexpr int kMaxBurst = 1000;
inline constexpr std::size_t kMaxPeriodicLine = 256;
inline constexpr int kMaxUnplugMs = 600000;

// Timings out of range are brought into it: a ring period into kMinRingPeriodMs..
// kMaxRingPeriodMs, so the timer cannot spin, and the network delay into 0..kMaxDelayMs.
struct SimulatorOptions {
    int ringPeriodMs = 3000;
    int networkDelayMs = 1000;  // from Ctrl-Z to the result of AT+CMGS
    bool emptyReadError = false;
    CallProfile callProfile = CallProfile::kStandard;
    SmsProfile smsProfile = SmsProfile::kStandard;
    // From a +CMT that AT+CSMS=1 has wait for AT+CNMA to the network's second try; brought into
    // kMinRingPeriodMs..kMaxDelayMs.
    int redeliveryMs = 15000;
    TraceSink traceSink;  // empty: no trace until EnableTrace(true), which then writes to stderr
    // A symbolic link to the device while it is plugged in; empty: none. A link left there by an
    // earlier run is replaced, anything else is kept and the simulator not made.
    std::string linkPath;
    // The SIM: none, or one that asks for this PIN (4 to 8 digits; empty: for none).
    bool simInserted = true;
    std::string simPin;
    // From each power-on until the module has started (0..kMaxDelayMs), and again from the right
    // PIN until it has read the SIM; 0: at once.
    int bootMs = 0;
    BootProfile bootProfile = BootProfile::kSilent;
    // Each call report written on its own in two writes, cut after this many bytes
    // (0..kMaxSplitBytes; 0: whole), kCutGapMs apart.
    std::size_t cutReportBytes = 0;
};

inline constexpr int kCutGapMs = 50;
// From the OK of a hang-up to what the family says of the call's end.
inline constexpr int kEndedHereMs = 300;

// How a delivered message is coded: kAuto takes the GSM alphabet when the text fits it.
enum class SmsCoding { kAuto, kGsm, kUcs2 };

struct SmsDelivery {
    std::string sender;
    // UTF-8. Longer than one message (160 septets in the GSM alphabet, 70 UCS2 units) it arrives
    // as parts of a long message (at/message_parts.h), each into the first free slot.
    std::string text;
    // The first free slot when left out; one message only, numbered as the SMS profile numbers
    // the storage.
    std::optional<int> slot;
    std::optional<std::string> timestamp;  // "yy/MM/dd,hh:mm:ss+zz"; now (UTC) when left out
    SmsCoding coding = SmsCoding::kAuto;
};

// How the parts of a long text arrive: last first, without one of them (1..parts), and gapMs
// apart (0..kMaxDelayMs), the first at once. The ones that arrive at once must all find room, or
// none is stored; a later one that finds the storage full is lost, as the trace says.
struct PartDelivery {
    bool reversed = false;
    std::optional<int> missingPart;
    int gapMs = 0;
};

struct VerbResult {
    bool ok = false;
    std::string message;  // what was done, or why nothing was
};

class Simulator {
public:
    // Nothing, with the reason in error, when no pseudo-terminal can be had or the link cannot
    // be made.
    static std::unique_ptr<Simulator> Create(SimulatorOptions options, std::string& error);
    static std::unique_ptr<Simulator> Create(SimulatorOptions options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // The slave of the latest pseudo-terminal, kept while unplugged; a replug changes it.
    std::string DevicePath() const;
    bool PluggedIn() const;

    // The network and the other party. Messages arrive in the storage that AT+CPMS names for
    // them (<mem3>: the SIM's, "SM", unless a program chose the phone's), and ClearSlot empties
    // a slot there. A long text's parts arrive at once, in order.
    VerbResult DeliverSms(const SmsDelivery& delivery);
    // Refused for a text that fits one message.
    VerbResult DeliverParts(const SmsDelivery& delivery, const PartDelivery& how);
    // count (1..kMaxBurst) messages "message 1 of <count>" ... from sender, gapMs (0..kMaxDelayMs)
    // apart, the first at once; each one that finds the storage full is lost, as the trace says.
    VerbResult DeliverBurst(int count, int gapMs, const std::string& sender);
    VerbResult ClearSlot(int slot);
    // An incoming call; no number: withheld. RING every ring period until answered or ended.
    VerbResult Ring(const std::optional<std::string>& number);
    VerbResult RemoteHangUp();
    // A dialled call that has not connected: the other side answers, or the call fails ("BUSY",
    // "NO ANSWER", "NO DIALTONE" or what the call profile says instead).
    VerbResult RemoteAnswer();
    VerbResult FailDialledCall(DialFailure failure);
    // The next dial fails at once: its OK and the failure ("BUSY" or what the call profile says
    // instead) in one write; under a family that answers a dial only on connect, the failure is
    // its answer.
    void FailNextDial(DialFailure failure);
    // How calls are reported: "standard", "huawei", ... (at/call_profile.h); the row's AT+CVHU
    // mode at once.
    VerbResult SetCallProfile(const std::string& name);
    // How messages are filed and handed over (at/message_profile.h), as UseSmsProfile in
    // at/modem_state.h takes it: refused when a stored message would find no slot.
    VerbResult SetSmsProfile(const std::string& name);
    // Registration status 0..5; reported as "+CREG: <stat>" when AT+CREG=1 or 2.
    VerbResult SetRegistration(int status);

    // The SIM (at/modem_state.h): one that asks for this PIN (4 to 8 digits), locked from now on
    // with every try left; none: one that asks for no PIN.
    VerbResult SetSimPin(const std::optional<std::string>& pin);
    // Takes the SIM out or puts it back; back, it asks for its PIN again.
    void SetSimInserted(bool inserted);
    // How long the module takes to start up, from the next start-up on (0..kMaxDelayMs).
    VerbResult SetBootDelay(int ms);
    // How the module comes up, from the next power-on on: "silent", "simcom", ...
    VerbResult SetBootProfile(const std::string& name);
    // The module restarts where it is, as after AT+CFUN=1,1 or its reset line: what it was still
    // to write is dropped, it comes up as at power-on (PowerOn in at/modem_state.h, then the boot
    // profile's lines, the start-up again) on the same device, which stays open. Refused while
    // unplugged.
    VerbResult Reset();

    // Faults.
    void SetSilent(bool on);
    void SetErrorAll(bool on);
    // A command as people write it: "+CMGS", "AT+CMGS", "cmgs", "D"; "AT" means empty lines.
    VerbResult AddErrorCommand(const std::string& command);
    void ClearErrors();
    VerbResult SetAnswerDelay(int ms);
    // pieceBytes 0 turns splitting off.
    VerbResult SetSplit(std::size_t pieceBytes, int gapMs);
    // Each call report written on its own (RING, +CLIP, NO CARRIER, BUSY, ^CEND, ...) goes out in
    // two writes kCutGapMs apart, cut after bytes (0..kMaxSplitBytes); 0 turns it off.
    VerbResult SetCutReports(std::size_t bytes);
    void SetSendError(std::optional<int> cmsError);
    void SetEmptyReadError(bool on);
    // Written as they are, in order with the modem's own output, even while silent.
    void InjectRaw(const std::string& bytes);
    // A chatty module: "\r\n<line>\r\n" every periodMs (brought into kMinRingPeriodMs..
    // kMaxRingPeriodMs), never inside an answer but ahead of one held back; not while silent or
    // while the terminal types a message text. periodMs 0 ends it. The line: 1 to kMaxPeriodicLine
    // bytes without CR or LF.
    VerbResult SetPeriodicLine(const std::string& line, int periodMs);
    // Pulls the modem off the bus: the link goes, the modem's side of the pseudo-terminal closes,
    // so the device is hung up (a program's reads fail at once, its writes fail) and its path goes
    // away; output still queued is dropped. The verbs above keep changing the model while
    // unplugged and nothing reaches the line: a message delivered meanwhile is stored at once (even
    // where AT+CNMI routes messages to the terminal), as the network hands over what it held the
    // moment the modem is back, without a +CMTI for it.
    // Refused when unplugged already.
    VerbResult Unplug();
    // The same, then Replug after ms (0..kMaxUnplugMs), unless the modem was plugged or unplugged
    // by hand meanwhile.
    VerbResult UnplugFor(int ms);
    // Plugs the modem in again as a fresh pseudo-terminal, the link naming it, the modem as after
    // losing power (PowerOn in at/modem_state.h): settings at their defaults, no call, no
    // half-typed message; the storage keeps its messages. Refused when plugged in, or when no
    // pseudo-terminal can be had or the link cannot be made; it then stays unplugged, unchanged.
    VerbResult Replug();

    void EnableTrace(bool on);

    // Copies, for looking at; changing them changes nothing.
    ModemState Snapshot();

private:
    explicit Simulator(SimulatorOptions options);
    void ReadLoop();
    // Answers one line until it is unplugged or fails.
    void Serve(platform::PseudoTerminal& pty, std::uint64_t generation);
    // Under m_plugging.
    VerbResult PlugIn();
    // Under the model's lock, once the modem is on its line: PowerOn and the start-up.
    void PowerUp(ModemState& state);
    // Under the model's lock: the start-up just begun ends after the boot delay, or at once.
    void AwaitStartUp(ModemState& state);
    VerbResult PlugInAgain();  // traced
    VerbResult TakeOff();
    void ReplugUnchangedSince(std::uint64_t generation);
    // Under the model's lock: sends what the session produced with the faults' shaping.
    void Transmit(const ModemState& state, const std::vector<Output>& outputs);
    void SendUnsolicited(const ModemState& state, std::string bytes);
    // Under the model's lock: as SendUnsolicited, cut as the faults ask.
    void SendCallReport(const ModemState& state, std::string bytes);
    void RingTick(std::uint64_t generation, TimerQueue::Clock::time_point due);
    void PeriodicTick(std::uint64_t generation, TimerQueue::Clock::time_point due);
    VerbResult Deliver(const SmsDelivery& delivery, const PartDelivery& how);
    VerbResult DeliverLong(ModemState& state, const StoredSms& common,
                           const std::vector<std::string>& texts, const PartDelivery& how);
    // Under the model's lock: to the terminal while AT+CNMI routes messages there and the modem
    // is plugged in (stored while unplugged, as the network holds them for it).
    bool Routes(const ModemState& state) const;
    // Under the model's lock: the +CMT, and the network's second try when AT+CNMA is due.
    void Route(ModemState& state, StoredSms sms, bool again = false);
    // Under the model's lock: into a free slot, announced as AT+CNMI asks.
    void Store(ModemState& state, int slot, StoredSms sms);
    // Under the model's lock: routed, or into the first free slot, or lost (traced as `what`).
    void Receive(ModemState& state, StoredSms sms, const std::string& what, bool again = false);
    // On the timer thread.
    void Arrive(StoredSms sms, const std::string& what);
    void Redeliver(std::uint64_t id);

    const SimulatorOptions m_options;
    std::atomic<bool> m_stopping{false};
    // Unplug and Replug one at a time; taken before the model's lock.
    std::mutex m_plugging;
    Plug m_plug;
    Trace m_trace;
    ModemModel m_model;
    ModemSession m_session;  // reader thread only
    TimerQueue m_timers;
    Transmitter m_transmitter;
    std::thread m_reader;  // last: starts once everything above exists
};

}  // namespace modemsim
