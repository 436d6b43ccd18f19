#pragma once
// The command line of the modemsim program:
//   modemsim [--link PATH] [--ring-period MS] [--network-delay MS] [--no-trace]
//            [--console | --no-console] [run PROGRAM ARGS...]
// Everything after "run" belongs to the program.

#include <optional>
#include <string>
#include <vector>

namespace modemsim {

struct ProgramOptions {
    std::optional<std::string> linkPath;
    std::vector<std::string> runCommand;  // empty: the console alone
    int ringPeriodMs = 3000;
    int networkDelayMs = 1000;
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

}  // namespace modemsim
