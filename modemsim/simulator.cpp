#include "modemsim/simulator.h"

#include <algorithm>
#include <utility>

#include "modemsim/at/at_syntax.h"
#include "modemsim/at/commands.h"
#include "modemsim/at/reply.h"
#include "modemsim/at/start_up.h"
#include "platform/core/bounded_write.h"
#include "platform/simhost/pseudo_terminal.h"

namespace modemsim {
namespace {

constexpr int kReportWaitMs = 200;

SimulatorOptions InRange(SimulatorOptions options) {
    options.ringPeriodMs = std::clamp(options.ringPeriodMs, kMinRingPeriodMs, kMaxRingPeriodMs);
    options.networkDelayMs = std::clamp(options.networkDelayMs, 0, kMaxDelayMs);
    options.redeliveryMs = std::clamp(options.redeliveryMs, kMinRingPeriodMs, kMaxDelayMs);
    options.bootMs = std::clamp(options.bootMs, 0, kMaxDelayMs);
    return options;
}

VerbResult Done(std::string message) {
    return {true, std::move(message)};
}
VerbResult Refused(std::string message) {
    return {false, std::move(message)};
}

Shaping SplitOnly(const Faults& faults) {
    Shaping shaping;
    shaping.pieceBytes = faults.splitBytes;
    shaping.gapMs = faults.splitGapMs;
    return shaping;
}

}  // namespace

std::unique_ptr<Simulator> Simulator::Create(SimulatorOptions options, std::string& error) {
    if (!options.simPin.empty() && !IsPinFormat(options.simPin)) {
        error = "the SIM's PIN must be 4 to 8 digits";
        return nullptr;
    }
    std::unique_ptr<Simulator> simulator(new Simulator(InRange(std::move(options))));
    const std::lock_guard<std::mutex> lock(simulator->m_plugging);
    const VerbResult plugged = simulator->PlugIn();
    if (!plugged.ok) {
        error = plugged.message;
        return nullptr;
    }
    return simulator;
}

std::unique_ptr<Simulator> Simulator::Create(SimulatorOptions options) {
    std::string error;
    return Create(std::move(options), error);
}

Simulator::Simulator(SimulatorOptions options)
    : m_options(std::move(options)),
      m_plug(m_options.linkPath),
      m_trace(m_options.traceSink),
      m_transmitter(m_timers, m_trace),
      m_reader([this] { ReadLoop(); }) {
    m_model.With([&](ModemState& state) {
        state.emptyReadError = m_options.emptyReadError;
        state.callProfile = m_options.callProfile;
        UseSmsProfile(state, m_options.smsProfile);  // the storages are empty: it always fits
        state.sim.inserted = m_options.simInserted;
        state.sim.pin = m_options.simPin;
        state.bootMs = m_options.bootMs;
        state.bootProfile = m_options.bootProfile;
        state.faults.cutReportBytes = std::min(m_options.cutReportBytes, kMaxSplitBytes);
    });
}

Simulator::~Simulator() {
    m_stopping = true;
    m_plug.Stop();
    m_reader.join();
    // Before the transmitter goes: queued writes refer to it.
    m_timers.Stop();
    m_trace.Stop();
}

std::string Simulator::DevicePath() const {
    return m_plug.DevicePath();
}

bool Simulator::PluggedIn() const {
    return m_plug.PluggedIn();
}

void Simulator::ReadLoop() {
    for (std::uint64_t generation = 0;;) {
        const PluggedLine line = m_plug.AwaitNewer(generation);
        if (!line.pty) {
            return;
        }
        generation = line.generation;
        Serve(*line.pty, generation);
    }
}

void Simulator::Serve(platform::PseudoTerminal& pty, std::uint64_t generation) {
    for (;;) {
        // Empty only once interrupted (unplugged, stopping) or on a broken pair.
        const std::string bytes = pty.Read(-1);
        if (bytes.empty()) {
            break;
        }
        m_trace.Record('<', bytes);
        m_model.With([&](ModemState& state) {
            // Bytes read just before an unplug went to a modem that has lost power since.
            if (m_plug.Generation() != generation) {
                return;
            }
            const std::uint64_t startUp = state.startUp.generation;
            Transmit(state, m_session.Feed(state, bytes));
            if (state.startUp.generation != startUp) {
                AwaitStartUp(state);  // the right PIN: the module reads the SIM
            }
        });
    }
    if (!m_stopping && m_plug.Generation() == generation) {
        platform::WriteWithin(platform::kStandardError,
                              "modemsim: reading " + pty.SlavePath() +
                                  " failed; the modem answers nothing until unplug and replug\n",
                              kReportWaitMs);
    }
}

void Simulator::Transmit(const ModemState& state, const std::vector<Output>& outputs) {
    for (const Output& output : outputs) {
        Shaping shaping = SplitOnly(state.faults);
        switch (output.kind) {
            case OutputKind::kEcho:
                shaping = Shaping{};
                break;
            case OutputKind::kAnswer:
                shaping.delayMs = state.faults.answerDelayMs;
                break;
            case OutputKind::kNetworkAnswer:
                shaping.delayMs = state.faults.answerDelayMs + m_options.networkDelayMs;
                break;
            case OutputKind::kPrompt:
                shaping.delayMs =
                    state.faults.answerDelayMs + HabitsOf(state.smsProfile).promptDelayMs;
                break;
            case OutputKind::kLateCallReport: {
                // On a timer rather than delayed in the queue: the answers that follow it do not
                // wait for it. One of a modem that has restarted since is not written.
                const std::uint64_t powerOns = state.powerOns;
                const std::string bytes = output.bytes;
                m_timers.At(
                    TimerQueue::Clock::now() +
                        std::chrono::milliseconds(state.faults.answerDelayMs + kEndedHereMs),
                    [this, powerOns, bytes] {
                        m_model.With([&](ModemState& later) {
                            if (later.powerOns == powerOns) {
                                SendCallReport(later, bytes);
                            }
                        });
                    });
                continue;
            }
        }
        m_transmitter.Send(output.bytes, shaping);
    }
}

void Simulator::SendUnsolicited(const ModemState& state, std::string bytes) {
    if (!state.faults.silent) {
        m_transmitter.Send(std::move(bytes), SplitOnly(state.faults));
    }
}

void Simulator::SendCallReport(const ModemState& state, std::string bytes) {
    if (state.faults.cutReportBytes == 0) {
        SendUnsolicited(state, std::move(bytes));
    } else if (!state.faults.silent) {
        Shaping shaping;
        shaping.cutAfter = state.faults.cutReportBytes;
        shaping.gapMs = kCutGapMs;
        m_transmitter.Send(std::move(bytes), shaping);
    }
}

VerbResult Simulator::ClearSlot(int slot) {
    return m_model.With([&](ModemState& state) {
        SmsStorage& storage = ReceivingStorage(state);
        if (!storage.IsValidIndex(slot)) {
            return Refused("slot " + std::to_string(slot) + " is not in " + storage.Range());
        }
        storage.Erase(slot);
        return Done("slot " + std::to_string(slot) + " is empty");
    });
}

VerbResult Simulator::Ring(const std::optional<std::string>& number) {
    if (number && !IsSenderName(*number)) {
        return Refused("the number must be 1 to 32 printable characters without '\"'");
    }
    return m_model.With([&](ModemState& state) {
        if (state.call.phase != CallPhase::kIdle) {
            return Refused("a call is in progress");
        }
        state.call.phase = CallPhase::kRinging;
        state.call.outgoing = false;
        state.call.number = number.value_or("");
        const std::uint64_t generation = ++state.call.generation;
        m_timers.At(TimerQueue::Clock::now(),
                    [this, generation] { RingTick(generation, TimerQueue::Clock::now()); });
        return Done(number ? "ringing from " + *number : "ringing, number withheld");
    });
}

void Simulator::RingTick(std::uint64_t generation, TimerQueue::Clock::time_point due) {
    m_model.With([&](ModemState& state) {
        if (state.call.phase != CallPhase::kRinging || state.call.generation != generation) {
            return;
        }
        SendCallReport(state, RingText(state));
        // From the planned time, so the cadence does not drift with scheduling delays.
        const auto next = due + std::chrono::milliseconds(m_options.ringPeriodMs);
        m_timers.At(next, [this, generation, next] { RingTick(generation, next); });
    });
}

VerbResult Simulator::RemoteHangUp() {
    return m_model.With([&](ModemState& state) {
        if (state.call.phase == CallPhase::kIdle) {
            return Refused("there is no call");
        }
        const long long seconds = CallSeconds(state.call);
        EndCall(state.call);
        SendCallReport(state, FramedReport(ReportsOf(state.callProfile).ended, seconds));
        return Done("the other side hung up");
    });
}

VerbResult Simulator::FailDialledCall(DialFailure failure) {
    return m_model.With([&](ModemState& state) {
        if (state.call.phase == CallPhase::kIdle || !state.call.outgoing || state.call.connected) {
            return Refused("there is no dialled call being placed");
        }
        const char* result = FailureReport(ReportsOf(state.callProfile), failure);
        EndCall(state.call);
        SendCallReport(state, FramedReport(result));
        return Done(std::string("the call ended: ") + result);
    });
}

VerbResult Simulator::RemoteAnswer() {
    return m_model.With([&](ModemState& state) {
        if (state.call.phase == CallPhase::kIdle || !state.call.outgoing || state.call.connected) {
            return Refused("there is no dialled call being placed");
        }
        Connect(state.call);
        SendCallReport(state, FramedReport(ReportsOf(state.callProfile).connected));
        return Done("the other side answered");
    });
}

VerbResult Simulator::SetCallProfile(const std::string& name) {
    const std::optional<CallProfile> profile = CallProfileNamed(name);
    if (!profile) {
        return Refused("the call profile must be one of " + CallProfileNames());
    }
    m_model.With([&](ModemState& state) {
        state.callProfile = *profile;
        state.settings.hangUpMode = ReportsOf(*profile).hangUpMode;
    });
    return Done("calls are reported as the " + name + " family does");
}

void Simulator::FailNextDial(DialFailure failure) {
    m_model.With([&](ModemState& state) { state.faults.nextDialFails = failure; });
}

VerbResult Simulator::SetSmsProfile(const std::string& name) {
    const std::optional<SmsProfile> profile = SmsProfileNamed(name);
    if (!profile) {
        return Refused("the SMS profile must be one of " + SmsProfileNames());
    }
    return m_model.With([&](ModemState& state) {
        if (!UseSmsProfile(state, *profile)) {
            return Refused("a stored message would find no slot in the " + name + " storages");
        }
        return Done("messages are filed as the " + name + " modules do");
    });
}

VerbResult Simulator::SetRegistration(int status) {
    if (status < 0 || status > 5) {
        return Refused("the registration status must be 0..5");
    }
    return m_model.With([&](ModemState& state) {
        const bool changed = state.settings.registration != status;
        state.settings.registration = status;
        if (changed) {
            SendUnsolicited(state, RegistrationReport(state.settings));
        }
        return Done("registration status " + std::to_string(status));
    });
}

VerbResult Simulator::SetSimPin(const std::optional<std::string>& pin) {
    if (pin && !IsPinFormat(*pin)) {
        return Refused("the PIN must be 4 to 8 digits");
    }
    m_model.With([&](ModemState& state) {
        state.sim.pin = pin.value_or("");
        state.sim.pinTriesLeft = kPinTries;
        state.sim.unlocked = false;
    });
    return Done(pin ? "the SIM asks for PIN " + *pin : "the SIM asks for no PIN");
}

void Simulator::SetSimInserted(bool inserted) {
    m_model.With([&](ModemState& state) {
        state.sim.inserted = inserted;
        state.sim.unlocked = false;
    });
}

VerbResult Simulator::SetBootDelay(int ms) {
    if (ms < 0 || ms > kMaxDelayMs) {
        return Refused("the boot delay must be 0.." + std::to_string(kMaxDelayMs) + " ms");
    }
    m_model.With([&](ModemState& state) { state.bootMs = ms; });
    return Done("the module starts up in " + std::to_string(ms) + " ms");
}

VerbResult Simulator::SetBootProfile(const std::string& name) {
    const std::optional<BootProfile> profile = BootProfileNamed(name);
    if (!profile) {
        return Refused("the boot profile must be one of " + BootProfileNames());
    }
    m_model.With([&](ModemState& state) { state.bootProfile = *profile; });
    return Done("the module comes up as the " + name + " modules do");
}

void Simulator::SetSilent(bool on) {
    m_model.With([&](ModemState& state) { state.faults.silent = on; });
}

void Simulator::SetErrorAll(bool on) {
    m_model.With([&](ModemState& state) { state.faults.errorAll = on; });
}

VerbResult Simulator::AddErrorCommand(const std::string& command) {
    const std::optional<std::string> name = NormaliseCommandName(command);
    if (!name) {
        return Refused("'" + command + "' is not a command name");
    }
    if (*name != "AT" && !IsKnownCommand(*name)) {
        return Refused(*name + " is not a command this modem knows");
    }
    m_model.With([&](ModemState& state) { state.faults.errorCommands.insert(*name); });
    return Done("ERROR to " + *name);
}

void Simulator::ClearErrors() {
    m_model.With([&](ModemState& state) {
        state.faults.errorAll = false;
        state.faults.errorCommands.clear();
    });
}

VerbResult Simulator::SetAnswerDelay(int ms) {
    if (ms < 0 || ms > kMaxDelayMs) {
        return Refused("the delay must be 0.." + std::to_string(kMaxDelayMs) + " ms");
    }
    m_model.With([&](ModemState& state) { state.faults.answerDelayMs = ms; });
    return Done("answers delayed by " + std::to_string(ms) + " ms");
}

VerbResult Simulator::SetSplit(std::size_t pieceBytes, int gapMs) {
    if (pieceBytes > kMaxSplitBytes || gapMs < 0 || gapMs > kMaxDelayMs) {
        return Refused("pieces must be 0.." + std::to_string(kMaxSplitBytes) +
                       " bytes and gaps 0.." + std::to_string(kMaxDelayMs) + " ms");
    }
    m_model.With([&](ModemState& state) {
        state.faults.splitBytes = pieceBytes;
        state.faults.splitGapMs = gapMs;
    });
    return Done(pieceBytes == 0 ? "answers whole" : "answers split");
}

VerbResult Simulator::SetCutReports(std::size_t bytes) {
    if (bytes > kMaxSplitBytes) {
        return Refused("the cut must be 0.." + std::to_string(kMaxSplitBytes) + " bytes");
    }
    m_model.With([&](ModemState& state) { state.faults.cutReportBytes = bytes; });
    return Done(bytes == 0 ? "call reports whole"
                           : "call reports cut after " + std::to_string(bytes) + " bytes");
}

void Simulator::SetSendError(std::optional<int> cmsError) {
    m_model.With([&](ModemState& state) { state.faults.sendError = cmsError; });
}

void Simulator::SetEmptyReadError(bool on) {
    m_model.With([&](ModemState& state) { state.emptyReadError = on; });
}

void Simulator::InjectRaw(const std::string& bytes) {
    m_transmitter.Send(bytes);
}

VerbResult Simulator::SetPeriodicLine(const std::string& line, int periodMs) {
    if (periodMs < 0) {
        return Refused("the period must be 0 (off) or more ms");
    }
    if (periodMs > 0 && (line.empty() || line.size() > kMaxPeriodicLine ||
                         line.find_first_of("\r\n") != std::string::npos)) {
        return Refused("the line must be 1 to " + std::to_string(kMaxPeriodicLine) +
                       " bytes without CR or LF");
    }
    const int period = periodMs == 0 ? 0 : std::clamp(periodMs, kMinRingPeriodMs, kMaxRingPeriodMs);
    return m_model.With([&](ModemState& state) {
        Faults& faults = state.faults;
        faults.periodicLine = period == 0 ? std::string() : line;
        faults.periodicMs = period;
        const std::uint64_t generation = ++faults.periodicGeneration;
        if (period == 0) {
            return Done("no periodic line");
        }
        const auto first = TimerQueue::Clock::now() + std::chrono::milliseconds(period);
        m_timers.At(first, [this, generation, first] { PeriodicTick(generation, first); });
        return Done("\"" + line + "\" every " + std::to_string(period) + " ms");
    });
}

void Simulator::PeriodicTick(std::uint64_t generation, TimerQueue::Clock::time_point due) {
    m_model.With([&](ModemState& state) {
        const Faults& faults = state.faults;
        if (faults.periodicGeneration != generation) {
            return;
        }
        // After the prompt the terminal is typing a text: a line then would land inside its echo.
        if (!faults.silent && !state.pendingSend) {
            m_transmitter.SendBetween(InfoLine(faults.periodicLine));
        }
        const auto next = due + std::chrono::milliseconds(faults.periodicMs);
        m_timers.At(next, [this, generation, next] { PeriodicTick(generation, next); });
    });
}

VerbResult Simulator::Unplug() {
    const std::lock_guard<std::mutex> lock(m_plugging);
    return TakeOff();
}

VerbResult Simulator::UnplugFor(int ms) {
    if (ms < 0 || ms > kMaxUnplugMs) {
        return Refused("the time unplugged must be 0.." + std::to_string(kMaxUnplugMs) + " ms");
    }
    const std::lock_guard<std::mutex> lock(m_plugging);
    const VerbResult unplugged = TakeOff();
    if (!unplugged.ok) {
        return unplugged;
    }
    const std::uint64_t generation = m_plug.Generation();
    m_timers.At(TimerQueue::Clock::now() + std::chrono::milliseconds(ms),
                [this, generation] { ReplugUnchangedSince(generation); });
    return Done(unplugged.message + "; back in " + std::to_string(ms) + " ms");
}

VerbResult Simulator::Replug() {
    const std::lock_guard<std::mutex> lock(m_plugging);
    if (m_plug.PluggedIn()) {
        return Refused("the modem is plugged in");
    }
    return PlugInAgain();
}

void Simulator::ReplugUnchangedSince(std::uint64_t generation) {
    const std::lock_guard<std::mutex> lock(m_plugging);
    if (m_plug.Generation() == generation) {
        PlugInAgain();
    }
}

VerbResult Simulator::TakeOff() {
    if (!m_plug.PluggedIn()) {
        return Refused("the modem is unplugged already");
    }
    // The transmitter first: nothing read meanwhile can be answered onto the closing line.
    m_transmitter.Connect(nullptr);
    m_plug.Remove();
    m_trace.Record('!', "unplugged");
    return Done("unplugged: " + DevicePath() + " has gone");
}

VerbResult Simulator::PlugIn() {
    std::shared_ptr<platform::PseudoTerminal> pty = platform::PseudoTerminal::Create();
    if (!pty) {
        return Refused("no pseudo-terminal available");
    }
    // Under the model's lock, so the reader and the timer reach the new line only once the modem
    // on it is fresh and its writes go there.
    std::string error;
    const bool plugged = m_model.With([&](ModemState& state) {
        if (!m_plug.Insert(pty, error)) {
            return false;
        }
        m_transmitter.Connect(pty);
        PowerUp(state);
        return true;
    });
    return plugged ? Done("plugged in as " + pty->SlavePath()) : Refused(error);
}

void Simulator::PowerUp(ModemState& state) {
    PowerOn(state);
    SendUnsolicited(state, BeginBoot(state));
    AwaitStartUp(state);
}

void Simulator::AwaitStartUp(ModemState& state) {
    const std::uint64_t generation = state.startUp.generation;
    if (state.bootMs == 0) {
        SendUnsolicited(state, FinishStartUp(state, generation));
        return;
    }
    m_timers.At(TimerQueue::Clock::now() + std::chrono::milliseconds(state.bootMs),
                [this, generation] {
                    m_model.With([&](ModemState& later) {
                        SendUnsolicited(later, FinishStartUp(later, generation));
                    });
                });
}

VerbResult Simulator::Reset() {
    const std::lock_guard<std::mutex> lock(m_plugging);
    if (!m_plug.PluggedIn()) {
        return Refused("the modem is unplugged");
    }
    m_model.With([&](ModemState& state) {
        m_transmitter.Restart();
        PowerUp(state);
    });
    m_trace.Record('!', "reset");
    return Done("reset: the modem restarts on " + DevicePath());
}

VerbResult Simulator::PlugInAgain() {
    const VerbResult result = PlugIn();
    m_trace.Record('!', result.ok ? result.message : "not plugged in again: " + result.message);
    return result;
}

void Simulator::EnableTrace(bool on) {
    m_trace.Enable(on);
}

ModemState Simulator::Snapshot() {
    return m_model.With([](ModemState& state) { return state; });
}

}  // namespace modemsim
