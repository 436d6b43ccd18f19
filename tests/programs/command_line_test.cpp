// Quillet and Dorrin started from a shell: --help and --version answer without a display and
// without a window, a bad line is refused with status 2 before any window opens, and --port and
// Qt's own -platform reach the window that does open.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Outcome {
    int status = -1;  // 137: killed at the time limit
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// Runs the program with `arguments` in an environment without a display, a Qt platform or a
// COM1, plus `variables`; kills it after `limitSeconds`.
Outcome RunProgram(const std::string& program, const std::string& arguments,
                   const std::string& variables = "", int limitSeconds = 20) {
    const std::string stem = ::testing::TempDir() + "program-" + std::to_string(::getpid());
    const std::string out = stem + ".out";
    const std::string err = stem + ".err";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u COM1 " +
                                variables + " timeout -s KILL " + std::to_string(limitSeconds) +
                                " '" + program + "' " + arguments + " >" + out + " 2>" + err;
    const int status = std::system(command.c_str());
    Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return outcome;
}

struct Program {
    const char* path;
    const char* name;
};

void PrintTo(const Program& program, std::ostream* stream) {
    *stream << program.name;
}

class ProgramCommandLine : public ::testing::TestWithParam<Program> {};

TEST_P(ProgramCommandLine, HelpAndVersionNeedNoDisplay) {
    const std::string name = GetParam().name;
    const Outcome version = RunProgram(GetParam().path, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, name + " 1.0.0.1\n");  // from the version record
    EXPECT_EQ(version.err, "");
    const Outcome help = RunProgram(GetParam().path, "-h");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: " + name + " [options]\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--port <device>"), std::string::npos);
}

// Were a window to open, it would try the missing COM1 device and say so on stderr.
TEST_P(ProgramCommandLine, BadLinesEndWithStatusTwoBeforeAnyWindow) {
    for (const char* line : {"--bogus", "--port", "-style Fusion stray"}) {
        SCOPED_TRACE(line);
        const Outcome outcome =
            RunProgram(GetParam().path, line, "QT_QPA_PLATFORM=offscreen COM1=/dev/no-modem");
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("Usage: " + std::string(GetParam().name)), std::string::npos);
        EXPECT_EQ(outcome.err.find("cannot open"), std::string::npos) << outcome.err;
    }
}

// -platform is Qt's: without it and without a display the program could not start at all.
TEST_P(ProgramCommandLine, PortBeatsTheVariableInTheWindow) {
    const std::string said = std::string(GetParam().name) +
                             ": cannot open /dev/from-option: No such file or directory; ";
    // The window then waits on the message box until the time limit.
    const Outcome outcome =
        RunProgram(GetParam().path, "-platform offscreen --port /dev/from-option",
                   "COM1=/dev/from-variable", 3);
    EXPECT_NE(outcome.err.find(said), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("/dev/from-variable"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramCommandLine,
                         ::testing::Values(Program{QUILLET_PROGRAM, "quillet"},
                                           Program{DORRIN_PROGRAM, "dorrin"}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
