#pragma once
// The modemsim program's command line and the program under test that it runs.

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/termination_signal.h"
#include "platform/simhost/child_process.h"

namespace modemsim {

// The command line of the modemsim program:
//   modemsim [--link PATH] [--ring-period MS] [--network-delay MS] [--no-trace]
//            [--call-profile NAME] [--sms-profile NAME] [--sim-pin NNNN | --no-sim]
//            [--boot-ms MS] [--boot-profile NAME] [--console | --no-console]
//            [run PROGRAM ARGS...]
// Everything after "run" belongs to the program.

struct ProgramOptions {
    std::optional<std::string> linkPath;
    std::vector<std::string> runCommand;  // empty: the console alone
    int ringPeriodMs = 3000;
    int networkDelayMs = 1000;
    std::string callProfile = "standard";
    std::string smsProfile = "standard";
    std::string simPin;  // empty: the SIM asks for none
    bool sim = true;
    int bootMs = 0;
    std::string bootProfile = "silent";
    bool trace = true;
    // Unset: on without run; off with run, where standard input belongs to the program.
    std::optional<bool> console;
    bool help = false;

    bool ConsoleOn() const { return console.value_or(runCommand.empty()); }
};

// Nothing, with the reason in error, for a command line that makes no sense.
std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& args,
                                                  std::string& error);
std::string ProgramUsage();

// The program under test, watched from a thread of its own: when it ends, its status is kept and
// the main thread, waiting for termination signals, is woken through Cancel.
//
// Thread contract: construct, End and destroy on the thread that waits for the signals.

class ChildWatch {
public:
    // How long the program has to end after SIGTERM before it is killed.
    static constexpr int kGraceMs = 3000;

    ChildWatch(platform::ChildProcess& child, platform::TerminationSignal& signals);
    // Ends the program (End) if that has not been done.
    ~ChildWatch();
    ChildWatch(const ChildWatch&) = delete;
    ChildWatch& operator=(const ChildWatch&) = delete;

    // Asks a program still running to end (SIGTERM) and gives it kGraceMs; a further
    // termination signal meanwhile, or the end of that time, kills it (SIGKILL). Its exit status.
    // A program that got the signal itself (a Ctrl-C at the terminal reaches the whole group) is
    // first given kGraceMs to end as it chooses: a SIGTERM on top would be its second signal.
    int End(bool signalledToo = false);

private:
    // False when the grace time ran out or a signal came first.
    bool AwaitEnd();

    platform::ChildProcess& m_child;
    platform::TerminationSignal& m_signals;
    std::atomic<bool> m_ended{false};
    int m_status = 0;  // written by the watch thread before m_ended
    std::thread m_thread;
};

}  // namespace modemsim
