// The modemsim program: a simulated modem with a console on standard input and a trace of the
// dialogue on stderr, optionally running the program under test against it.

#include <csignal>
#include <iostream>

#include "modemsim/console/console.h"
#include "modemsim/console/console_thread.h"
#include "modemsim/console/run_mode.h"
#include "modemsim/simulator.h"
#include "platform/core/bounded_write.h"
#include "platform/core/termination_signal.h"
#include "platform/simhost/child_process.h"
#include "platform/simhost/file_links.h"
#include "platform/simhost/io_signals.h"

namespace {

using modemsim::ProgramOptions;

// Our own few lines never wait long for a terminal on hold or a full pipe.
constexpr int kNoteWaitMs = 1000;

void Note(int fd, const std::string& text) {
    platform::WriteWithin(fd, text + "\n", kNoteWaitMs);
}

int Fail(const std::string& message) {
    Note(platform::kStandardError, "modemsim: " + message);
    return 1;
}

modemsim::SimulatorOptions SimulatorOptionsFor(const ProgramOptions& options) {
    modemsim::SimulatorOptions simulatorOptions;
    simulatorOptions.ringPeriodMs = options.ringPeriodMs;
    simulatorOptions.networkDelayMs = options.networkDelayMs;
    simulatorOptions.callProfile =
        modemsim::CallProfileNamed(options.callProfile).value_or(modemsim::CallProfile::kStandard);
    simulatorOptions.smsProfile =
        modemsim::SmsProfileNamed(options.smsProfile).value_or(modemsim::SmsProfile::kStandard);
    simulatorOptions.simInserted = options.sim;
    simulatorOptions.simPin = options.simPin;
    simulatorOptions.bootMs = options.bootMs;
    simulatorOptions.bootProfile =
        modemsim::BootProfileNamed(options.bootProfile).value_or(modemsim::BootProfile::kSilent);
    if (options.trace) {
        simulatorOptions.traceSink = modemsim::StderrTraceSink();
    }
    simulatorOptions.linkPath = options.linkPath.value_or("");
    return simulatorOptions;
}

// What the program holds while the modem serves, released in reverse: the program under test
// first, then the simulator with its link, then the directory of a link of our own.
struct Running {
    std::unique_ptr<platform::TemporaryDirectory> linkDirectory;
    std::unique_ptr<modemsim::Simulator> simulator;
    std::unique_ptr<platform::ChildProcess> child;
};

// The program under test reaches the modem through a link: a modem unplugged and plugged in
// again is a new device, and the link follows it. Without --link, one of our own.
std::string LinkForProgram(ProgramOptions& options, Running& running) {
    if (options.runCommand.empty() || options.linkPath) {
        return {};
    }
    std::string error;
    running.linkDirectory = platform::TemporaryDirectory::Create("modemsim", error);
    if (running.linkDirectory) {
        options.linkPath = running.linkDirectory->Path() + "/COM1";
    }
    return error;
}

// The simulator with its link, and the program under test; the reason when either fails.
std::string StartUp(ProgramOptions options, Running& running) {
    std::string error = LinkForProgram(options, running);
    if (!error.empty()) {
        return error;
    }
    running.simulator = modemsim::Simulator::Create(SimulatorOptionsFor(options), error);
    if (!running.simulator) {
        return error;
    }
    const std::string device = running.simulator->DevicePath();
    if (options.runCommand.empty()) {
        Note(platform::kStandardOutput, device);
        return {};
    }
    const std::string& link = *options.linkPath;
    running.child = platform::ChildProcess::Start(options.runCommand, {{"COM1", link}}, error);
    if (running.child) {
        Note(platform::kStandardError, "modemsim: COM1=" + link + " (now " + device + ")");
    }
    return running.child ? std::string() : error;
}

// Serves until a termination signal, quit, or the end of the program under test; that
// program's exit status is the result in run mode.
int Serve(const ProgramOptions& options, Running& running, platform::TerminationSignal& signals) {
    std::unique_ptr<modemsim::ConsoleThread> console;
    if (options.ConsoleOn()) {
        console = std::make_unique<modemsim::ConsoleThread>(*running.simulator,
                                                            [&signals] { signals.Cancel(); });
        if (!console->Start()) {
            Note(platform::kStandardError, "modemsim: no console; the modem serves without it");
        }
    }
    if (!running.child) {
        signals.Wait();
        return 0;
    }
    modemsim::ChildWatch watch(*running.child, signals);
    const int signal = signals.Wait();
    return watch.End(signal == SIGINT && platform::InTerminalForeground());
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const std::optional<ProgramOptions> options =
        modemsim::ParseProgramOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "modemsim: " << error << "\n" << modemsim::ProgramUsage();
        return 2;
    }
    if (options->help) {
        std::cout << modemsim::ProgramUsage() << "console verbs (one a line on standard input):\n"
                  << modemsim::Console::Help() << "\n";
        return 0;
    }
    // A background job that touches its terminal is not stopped, and a reader who goes away
    // does not kill the modem: such reads and writes fail instead, and are handled.
    platform::IgnoreIoSignals();
    // Before any thread exists, so that every thread has the signals blocked.
    const auto signals = platform::TerminationSignal::Create();
    if (!signals) {
        return Fail("cannot wait for signals");
    }
    Running running;
    const std::string problem = StartUp(*options, running);
    if (!problem.empty()) {
        return Fail(problem);
    }
    return Serve(*options, running, *signals);
}
