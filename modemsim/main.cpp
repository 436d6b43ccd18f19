// The modemsim program: a simulated modem with a console on standard input and a trace of the
// dialogue on stderr, optionally running the program under test against it.

#include <atomic>
#include <iostream>
#include <thread>

#include "modemsim/console.h"
#include "modemsim/program_options.h"
#include "modemsim/simulator.h"
#include "platform/core/child_process.h"
#include "platform/core/console_input.h"
#include "platform/core/file_links.h"
#include "platform/core/termination_signal.h"

namespace {

using modemsim::Console;
using modemsim::ProgramOptions;
using platform::ConsoleInput;

int Fail(const std::string& message) {
    std::cerr << "modemsim: " << message << std::endl;
    return 1;
}

// Until quit, end of input or interrupt. End of input leaves the modem serving: a simulator fed
// from a script or from nothing runs on until a signal or the program under test ends it.
void RunConsole(ConsoleInput& input, Console& console, platform::TerminationSignal& signals) {
    const bool person = input.IsTerminal();
    for (;;) {
        if (person) {
            std::cout << "modemsim> " << std::flush;
        }
        std::string line;
        switch (input.ReadLine(line)) {
            case ConsoleInput::Status::kLine: {
                const std::string reply = console.Execute(line);
                if (!reply.empty()) {
                    std::cout << reply << std::endl;
                }
                if (console.QuitRequested()) {
                    signals.Cancel();
                    return;
                }
                break;
            }
            case ConsoleInput::Status::kTooLong:
                std::cout << "line longer than " << ConsoleInput::kMaxLine << " characters: ignored"
                          << std::endl;
                break;
            case ConsoleInput::Status::kEnd:
            case ConsoleInput::Status::kInterrupted:
            case ConsoleInput::Status::kDetached:
                return;
        }
    }
}

modemsim::SimulatorOptions SimulatorOptionsFor(const ProgramOptions& options) {
    modemsim::SimulatorOptions simulatorOptions;
    simulatorOptions.ringPeriodMs = options.ringPeriodMs;
    simulatorOptions.networkDelayMs = options.networkDelayMs;
    if (options.trace) {
        simulatorOptions.traceSink = modemsim::StderrTraceSink();
    }
    return simulatorOptions;
}

// What the program holds while the modem serves.
struct Running {
    std::unique_ptr<modemsim::Simulator> simulator;
    std::unique_ptr<platform::SymbolicLink> link;
    std::unique_ptr<platform::ChildProcess> child;
};

// The simulator, its link and the program under test; the reason when any of them fails.
std::string StartUp(const ProgramOptions& options, Running& running) {
    running.simulator = modemsim::Simulator::Create(SimulatorOptionsFor(options));
    if (!running.simulator) {
        return "no pseudo-terminal available";
    }
    const std::string& device = running.simulator->DevicePath();
    std::string error;
    if (options.linkPath) {
        running.link = platform::SymbolicLink::Create(device, *options.linkPath, error);
        if (!running.link) {
            return error;
        }
    }
    if (options.runCommand.empty()) {
        std::cout << device << std::endl;
        return {};
    }
    running.child = platform::ChildProcess::Start(options.runCommand, {{"COM1", device}}, error);
    if (running.child) {
        std::cerr << "modemsim: COM1=" << device << std::endl;
    }
    return running.child ? std::string() : error;
}

// Serves until a signal, quit, or the end of the program under test; that program's exit status
// is the result in run mode.
int Serve(Running& running, ConsoleInput& input, platform::TerminationSignal& signals) {
    Console console(*running.simulator);
    std::thread consoleThread([&] { RunConsole(input, console, signals); });
    std::atomic<int> childStatus{0};
    std::thread childWaiter;
    if (running.child) {
        childWaiter = std::thread([&] {
            childStatus = running.child->Wait();
            signals.Cancel();
        });
    }
    signals.Wait();
    if (running.child) {
        running.child->Terminate();
        childWaiter.join();
    }
    input.Interrupt();
    consoleThread.join();
    return childStatus.load();
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
        std::cout << modemsim::ProgramUsage();
        return 0;
    }
    // First, before any thread exists, so that every thread has the signals blocked.
    const auto signals = platform::TerminationSignal::Create();
    if (!signals) {
        return Fail("cannot wait for signals");
    }
    const auto input = ConsoleInput::Create();
    Running running;
    const std::string problem = input ? StartUp(*options, running) : "cannot read the console";
    if (!problem.empty()) {
        return Fail(problem);
    }
    return Serve(running, *input, *signals);
}
