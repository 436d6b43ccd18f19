#include "modemsim/console/run_mode.h"

#include <chrono>
#include <string>

#include "modemsim/at/at_syntax.h"
#include "modemsim/simulator.h"
#include "platform/core/bounded_write.h"

namespace modemsim {

namespace {

// Options that take a value; false with error set when the value is missing or bad.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, ProgramOptions& options,
               std::string& error) {
    const std::string& name = args[i];
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
    }
    const std::string& value = args[++i];
    if (name == "--link") {
        if (value.empty()) {
            error = "--link needs a path";
            return false;
        }
        options.linkPath = value;
        return true;
    }
    if (name == "--call-profile") {
        if (!modemsim::CallProfileNamed(value)) {
            error = "--call-profile: '" + value + "' is none of " + modemsim::CallProfileNames();
            return false;
        }
        options.callProfile = value;
        return true;
    }
    if (name == "--sms-profile") {
        if (!modemsim::SmsProfileNamed(value)) {
            error = "--sms-profile: '" + value + "' is none of " + modemsim::SmsProfileNames();
            return false;
        }
        options.smsProfile = value;
        return true;
    }
    if (name == "--boot-profile") {
        if (!modemsim::BootProfileNamed(value)) {
            error = "--boot-profile: '" + value + "' is none of " + modemsim::BootProfileNames();
            return false;
        }
        options.bootProfile = value;
        return true;
    }
    if (name == "--sim-pin") {
        if (!IsPinFormat(value)) {
            error = "--sim-pin: '" + value + "' is not 4 to 8 digits";
            return false;
        }
        options.simPin = value;
        return true;
    }
    const bool ring = name == "--ring-period";
    const std::optional<long> ms = ring ? ParseDecimalIn(value, kMinRingPeriodMs, kMaxRingPeriodMs)
                                        : ParseDecimalIn(value, 0, kMaxDelayMs);
    if (!ms) {
        error = name + ": '" + value + "' is not a number of milliseconds in " +
                (ring ? std::to_string(kMinRingPeriodMs) + ".." + std::to_string(kMaxRingPeriodMs)
                      : "0.." + std::to_string(kMaxDelayMs));
        return false;
    }
    (ring                        ? options.ringPeriodMs
     : name == "--network-delay" ? options.networkDelayMs
                                 : options.bootMs) = static_cast<int>(*ms);
    return true;
}

// Flags without a value; false when arg is none of them.
bool TakeFlag(const std::string& arg, ProgramOptions& options) {
    if (arg == "--help" || arg == "-h") {
        options.help = true;
    } else if (arg == "--no-trace") {
        options.trace = false;
    } else if (arg == "--no-sim") {
        options.sim = false;
    } else if (arg == "--console" || arg == "--no-console") {
        options.console = arg == "--console";
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& args,
                                                  std::string& error) {
    ProgramOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "run") {
            options.runCommand.assign(args.begin() + static_cast<long>(i) + 1, args.end());
            if (options.runCommand.empty()) {
                error = "run needs a program";
                return std::nullopt;
            }
            return options;
        }
        if (arg == "--link" || arg == "--ring-period" || arg == "--network-delay" ||
            arg == "--call-profile" || arg == "--sms-profile" || arg == "--sim-pin" ||
            arg == "--boot-ms" || arg == "--boot-profile") {
            if (!TakeValue(args, i, options, error)) {
                return std::nullopt;
            }
        } else if (!TakeFlag(arg, options)) {
            error = "unknown argument '" + arg + "'";
            return std::nullopt;
        }
    }
    return options;
}

std::string ProgramUsage() {
    return "usage: modemsim [--link PATH] [--ring-period MS] [--network-delay MS] [--no-trace]\n"
           "                [--call-profile NAME] [--sms-profile NAME]\n"
           "                [--sim-pin NNNN | --no-sim] [--boot-ms MS] [--boot-profile NAME]\n"
           "                [--console | --no-console] [run PROGRAM [ARGS...]]\n"
           "  Acts as a GSM modem on a pseudo-terminal. Without run it prints the device path;\n"
           "  with run it starts PROGRAM with COM1 set to the device and ends when it ends.\n"
           "  --link PATH     also reach the device as PATH (a symbolic link, removed at exit,\n"
           "                  following the device across unplug and replug);\n"
           "                  a link left at PATH by an earlier run is replaced, nothing else\n"
           "  --console       read console verbs on standard input (type help); the default\n"
           "                  without run. With run, standard input is PROGRAM's unless given\n"
           "  --no-console    leave standard input alone\n"
           "  --no-trace      do not show the dialogue on stderr\n"
           "  --call-profile  report calls as that module family does (default standard):\n"
           "                  " +
           CallProfileNames() +
           "\n"
           "  --sms-profile   file and hand over messages as that module family does (default\n"
           "                  standard):\n"
           "                  " +
           SmsProfileNames() +
           "\n"
           "  --sim-pin NNNN  a SIM that asks for this PIN (4-8 digits) at every power-on\n"
           "  --no-sim        no SIM in the modem\n"
           "  --boot-ms MS    the module starts up MS ms after each power-on (0-" +
           std::to_string(kMaxDelayMs) +
           ", default 0)\n"
           "  --boot-profile  what the module prints as it comes up and how it refuses\n"
           "                  meanwhile (default silent): " +
           BootProfileNames() + "\n";
}

namespace {

constexpr int kNoticeWaitMs = 200;

}  // namespace

ChildWatch::ChildWatch(platform::ChildProcess& child, platform::TerminationSignal& signals)
    : m_child(child), m_signals(signals), m_thread([this] {
          m_status = m_child.Wait();
          m_ended = true;
          m_signals.Cancel();
      }) {}

ChildWatch::~ChildWatch() {
    End();
}

int ChildWatch::End(bool signalledToo) {
    if (!m_thread.joinable()) {
        return m_status;
    }
    if (!m_ended && signalledToo) {
        AwaitEnd();
    }
    if (!m_ended) {
        m_child.Terminate();
        if (!AwaitEnd()) {
            platform::WriteWithin(platform::kStandardError,
                                  "modemsim: the program did not end on SIGTERM; killing it\n",
                                  kNoticeWaitMs);
            m_child.Kill();
        }
    }
    m_thread.join();
    return m_status;
}

bool ChildWatch::AwaitEnd() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kGraceMs);
    while (!m_ended) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || m_signals.Wait(static_cast<int>(left.count())) != 0) {
            return m_ended;
        }
    }
    return true;
}

}  // namespace modemsim
