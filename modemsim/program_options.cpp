#include "modemsim/program_options.h"

namespace modemsim {
namespace {

std::optional<int> Milliseconds(const std::string& text) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoi(text);
}

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
    const std::optional<int> ms = Milliseconds(value);
    if (!ms || (name == "--ring-period" && *ms == 0)) {
        error = name + ": '" + value + "' is not a number of milliseconds";
        return false;
    }
    (name == "--ring-period" ? options.ringPeriodMs : options.networkDelayMs) = *ms;
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
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--no-trace") {
            options.trace = false;
        } else if (arg == "--link" || arg == "--ring-period" || arg == "--network-delay") {
            if (!TakeValue(args, i, options, error)) {
                return std::nullopt;
            }
        } else {
            error = "unknown argument '" + arg + "'";
            return std::nullopt;
        }
    }
    return options;
}

std::string ProgramUsage() {
    return "usage: modemsim [--link PATH] [--ring-period MS] [--network-delay MS] [--no-trace]\n"
           "                [run PROGRAM [ARGS...]]\n"
           "  Acts as a GSM modem on a pseudo-terminal. Without run it prints the device path;\n"
           "  with run it starts PROGRAM with COM1 set to the device and ends when it ends.\n"
           "  --link PATH   also reach the device as PATH (a symbolic link, removed at exit)\n"
           "  Console verbs on standard input: type help.\n";
}

}  // namespace modemsim
