// The modemsim program end to end: run mode, the link, the console on a pipe or in the
// background, signals, and a program under test that will not end.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

#include "modem_client.h"
#include "modemsim/console/console_thread.h"
#include "modemsim/console/run_mode.h"
#include "platform/simhost/child_process.h"
#include "platform/simhost/pseudo_terminal.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string TempPath(const std::string& what) {
    static std::mt19937 random(std::random_device{}());
    return ::testing::TempDir() + "modemsim_test_" + what + "_" + std::to_string(random());
}

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The script runs under sh with $MODEMSIM, $LINK and $OUT set, standard input from nowhere.
std::unique_ptr<platform::ChildProcess> StartScript(const std::string& script,
                                                    const std::string& link = "",
                                                    const std::string& out = "",
                                                    const std::string& tty = "") {
    std::string error;
    auto child = platform::ChildProcess::Start(
        {"/bin/sh", "-c", "{ " + script + "; } < /dev/null"},
        {{"MODEMSIM", MODEMSIM_PROGRAM}, {"LINK", link}, {"OUT", out}, {"TTY", tty}}, error);
    EXPECT_NE(child, nullptr) << error;
    return child;
}

std::string FileText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool Eventually(const std::function<bool()>& holds, std::chrono::milliseconds limit = 3s) {
    const auto deadline = Clock::now() + limit;
    while (!holds() && Clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    return holds();
}

bool WaitForLink(const std::string& link) {
    return Eventually([&] { return fs::is_symlink(link); });
}

void ExpectAnswers(const std::string& device) {
    ModemClient client(device);
    ASSERT_TRUE(client.IsOpen());
    client.Send("AT\r\n");
    EXPECT_EQ(client.ReadAtLeast(9, 2s), "AT\r\r\nOK\r\n");
}

TEST(Program, RunGivesTheProgramTheDeviceAndReturnsItsStatus) {
    const struct {
        const char* script;
        int status;
    } cases[] = {
        {"exec \"$MODEMSIM\" --no-trace run sh -c 'test -c \"$COM1\" && exit 7'", 7},
        {"exec \"$MODEMSIM\" --no-trace run sh -c 'kill -TERM $$'", 128 + 15},
        {"exec \"$MODEMSIM\" --no-trace run /nonexistent/program", 1},
        {"exec \"$MODEMSIM\" --no-trace --bogus", 2},
        {"exec \"$MODEMSIM\" --no-trace --ring-period 0", 2},
        // Someone else's link is kept, and the modem does not start.
        {"ln -s / \"$LINK\" && \"$MODEMSIM\" --no-trace --link \"$LINK\" run true; s=$?; "
         "test \"$(readlink \"$LINK\")\" = / && rm \"$LINK\" && exit $s",
         1},
    };
    for (const auto& c : cases) {
        auto child = StartScript(c.script, TempPath("link"));
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->Wait(), c.status) << c.script;
    }
}

TEST(Program, ConsoleOnAPipeAndLinkForTheProgram) {
    const std::string link = TempPath("link");
    const std::string out = TempPath("out");
    auto child = StartScript(
        "printf 'sms +39 hi\\nlist\\nbogus\\n' | \"$MODEMSIM\" --no-trace --console --link "
        "\"$LINK\" run sh -c 'sleep 0.3; test \"$(readlink \"$LINK\")\" = \"$COM1\"' > \"$OUT\"",
        link, out);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Wait(), 0);
    const std::string console = FileText(out);
    EXPECT_NE(console.find("stored in slot 1"), std::string::npos) << console;
    EXPECT_NE(console.find("1  REC UNREAD  +39"), std::string::npos) << console;
    EXPECT_NE(console.find("unknown verb 'bogus'"), std::string::npos) << console;
    EXPECT_FALSE(fs::is_symlink(link));
    fs::remove(out);
}

TEST(Program, InRunModeStandardInputBelongsToTheProgram) {
    const std::string out = TempPath("out");
    auto child = StartScript(
        "printf 'quit\\n' | \"$MODEMSIM\" --no-trace run sh -c 'read line && echo \"$line\" > "
        "\"$OUT\"'",
        "", out);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Wait(), 0);
    EXPECT_EQ(FileText(out), "quit\n");
    fs::remove(out);
}

TEST(Program, ServesAfterEndOfInputOrWithoutConsoleUntilTerminated) {
    for (const char* options : {"", " --no-console < \"$OUT.in\""}) {
        SCOPED_TRACE(options);
        const std::string link = TempPath("link");
        const std::string out = TempPath("out");
        auto child = StartScript("printf 'quit\\n' > \"$OUT.in\"; exec \"$MODEMSIM\" --no-trace" +
                                     std::string(options) + " --link \"$LINK\" > \"$OUT\"",
                                 link, out);
        ASSERT_NE(child, nullptr);
        ASSERT_TRUE(WaitForLink(link));
        ExpectAnswers(link);
        EXPECT_EQ(FileText(out), fs::read_symlink(link).string() + "\n");
        child->Terminate();
        EXPECT_EQ(child->Wait(), 0);
        EXPECT_FALSE(fs::is_symlink(link));
        fs::remove(out);
        fs::remove(out + ".in");
    }
}

// quit, Ctrl-C, closing the terminal and SIGTERM all end the program under test and remove the
// link; a program that ends on SIGTERM gives 143.
TEST(Program, QuitOrAnySignalEndsTheProgramUnderTest) {
    const struct {
        const char* feed;
        int signal;  // 0: none, quit does it
    } cases[] = {
        {"printf 'quit\\n' | ", 0},
        {"", SIGINT},
        {"", SIGHUP},
        {"", SIGTERM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        const std::string link = TempPath("link");
        auto child = StartScript(std::string(c.feed) +
                                     "exec \"$MODEMSIM\" --no-trace --console --link \"$LINK\" "
                                     "run sh -c 'exec sleep 30'",
                                 link);
        ASSERT_NE(child, nullptr);
        const Clock::time_point start = Clock::now();
        if (c.signal != 0) {
            ASSERT_TRUE(WaitForLink(link));
            child->Signal(c.signal);
        }
        EXPECT_EQ(child->Wait(), 128 + SIGTERM);
        EXPECT_LT(MsSince(start), 2500);
        EXPECT_FALSE(fs::is_symlink(link));
    }
}

// A program that ignores SIGTERM gets the grace time, or less when a second signal comes, and is
// then killed.
TEST(Program, ProgramThatIgnoresSigtermIsKilled) {
    const struct {
        int secondSignal;  // 0: none, the grace time runs out
        long long leastMs;
        long long mostMs;
    } cases[] = {
        {SIGINT, 0, modemsim::ChildWatch::kGraceMs - 1000},
        {0, modemsim::ChildWatch::kGraceMs - 100, modemsim::ChildWatch::kGraceMs + 3000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.secondSignal);
        const std::string link = TempPath("link");
        const std::string ready = TempPath("ready");
        auto child = StartScript(
            "exec \"$MODEMSIM\" --no-trace --link \"$LINK\" run sh -c \"trap '' TERM INT; : > "
            "\\\"\\$OUT\\\"; sleep 30 > /dev/null 2>&1\"",
            link, ready);
        ASSERT_NE(child, nullptr);
        ASSERT_TRUE(Eventually([&] { return fs::exists(ready); }));
        const Clock::time_point start = Clock::now();
        child->Terminate();
        if (c.secondSignal != 0) {
            std::this_thread::sleep_for(200ms);
            child->Signal(c.secondSignal);
        }
        EXPECT_EQ(child->Wait(), 128 + SIGKILL);
        EXPECT_GE(MsSince(start), c.leastMs);
        EXPECT_LT(MsSince(start), c.mostMs);
        EXPECT_FALSE(fs::is_symlink(link));
        fs::remove(ready);
    }
}

// Started with & from an interactive shell: a read of the terminal would stop the whole process.
// Here the console gives up instead, says so once, and the modem keeps answering.
TEST(Program, InTheBackgroundTheConsoleStepsAsideAndTheModemServes) {
    auto terminal = platform::PseudoTerminal::Create();
    ASSERT_NE(terminal, nullptr);
    const std::string link = TempPath("link");
    auto child = StartScript(
        "exec setsid -c sh -c 'set -m; \"$MODEMSIM\" --no-trace --link \"$LINK\" & pid=$!; "
        "sleep 30 & sleeper=$!; trap \"kill \\$pid \\$sleeper; wait \\$pid; exit \\$?\" TERM; "
        "wait $sleeper' < \"$TTY\" > \"$TTY\" 2>&1",
        link, "", terminal->SlavePath());
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(WaitForLink(link));
    terminal->Write("status\n");  // typed at the shell; the job in the background must not read it
    std::string shown;
    const Clock::time_point deadline = Clock::now() + 3s;
    while (shown.find(modemsim::kConsoleOffNotice) == std::string::npos &&
           Clock::now() < deadline) {
        shown += terminal->Read(100);
    }
    EXPECT_NE(shown.find(std::string(modemsim::kConsoleOffNotice) + "\n"), std::string::npos)
        << shown;
    ExpectAnswers(link);
    shown += terminal->Read(200);
    EXPECT_EQ(shown.find("device "), std::string::npos) << "the console read the line: " << shown;
    child->Terminate();
    EXPECT_EQ(child->Wait(), 0);
    EXPECT_FALSE(fs::is_symlink(link));
}

}  // namespace
