// The modemsim program: the console verbs (good ones reach the controller, bad ones are explained
// and change nothing), its command line, and end to end run mode, the link, the console on a pipe
// or in the background, signals, and a program under test that will not end.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

#include "modemsim/console/console.h"
#include "modemsim/console/console_thread.h"
#include "modemsim/console/run_mode.h"
#include "platform/simhost/child_process.h"
#include "platform/simhost/pseudo_terminal.h"
#include "simulator_fixture.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using modemsim::Console;
using modemsim::ModemState;

struct ConsoleTest : ::testing::Test {
    void SetUp() override {
        simulator = modemsim::Simulator::Create();
        ASSERT_NE(simulator, nullptr);
        console = std::make_unique<Console>(*simulator);
    }
    std::unique_ptr<modemsim::Simulator> simulator;
    std::unique_ptr<Console> console;
};

// What a verb may change, as one comparable text.
std::string Observable(const ModemState& state) {
    std::string text;
    for (const auto& [index, sms] : state.storage.Occupied()) {
        text += std::to_string(index) + sms.sender + sms.text + ";";
    }
    const auto& f = state.faults;
    for (const long value :
         {long{f.silent}, long{f.errorAll}, long(f.errorCommands.size()), long{f.answerDelayMs},
          long(f.splitBytes), long{f.splitGapMs}, long{f.sendError.value_or(-1)},
          long{state.emptyReadError}, long(state.call.phase), long{state.settings.registration}}) {
        text += std::to_string(value) + ",";
    }
    return text;
}

TEST_F(ConsoleTest, BadInputIsExplainedAndChangesNothing) {
    ASSERT_EQ(console->Execute("sms +39111 kept"), "stored in slot 1");
    const std::string before = Observable(simulator->Snapshot());
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"frobnicate", "unknown verb"}, {"SMS +1 upper case", "unknown verb"}, {"sms +1", "usage"},
        {"sms-to 0 +1 text", "refused: slot 0 is not in 1..20"},
        {"sms-to 21 +1 text", "refused: slot 21 is not in 1..20"}, {"sms-to -1 +1 text", "usage"},
        {"sms-to 1 +1 text", "refused: slot 1 holds a message"},
        {"sms +1 bad\\q escape", "refused: bad escape"},
        {"sms \"quoted\" text", "refused: the sender"},
        {"sms +1 " + std::string(255 * 153 + 1, 'x'), "refused: the text would take more"},
        {"sms-lose 3 +1 " + std::string(161, 'x'), "refused: the text has parts 1..2"},
        {"sms-gap 5 +1 short", "refused: the text fits one message"}, {"burst 1001 0", "usage"},
        {"sms-to 3 +1 " + std::string(161, 'x'), "refused: a long text goes into the first free"},
        {"urc 10 two\\rlines", "refused: the line must be"}, {"ring +1 +2", "usage"},
        {"hangup", "refused: there is no call"}, {"creg 6", "usage"}, {"error +C MGS", "usage"},
        {"error +CMGX", "refused: +CMGX is not a command this modem knows"},
        {"error ATV1", "refused: V is not a command this modem knows"}, {"delay 60001", "usage"},
        {"split 0 10", "usage"}, {"sendfail 512", "usage"}, {"inject \\x4", "usage"},
        {"garbage 65537", "usage"}, {"longline 99999999999", "usage"}, {"unplug -1", "usage"},
        {"unplug 600001", "usage"}, {"unplug 5 5", "usage"}, {"unplug 1s", "usage"},
        {"replug now", "usage"}, {"replug", "refused: the modem is plugged in"},
        {"smsprofile", "usage"}, {"smsprofile bogus", "refused: the SMS profile must be one of"},
        {std::string("list\0", 5), "unknown verb 'list\\0'"}};
    // clang-format on
    for (const auto& [line, expected] : cases) {
        const std::string reply = console->Execute(line);
        EXPECT_NE(reply.find(expected), std::string::npos) << line << " -> " << reply;
    }
    EXPECT_EQ(Observable(simulator->Snapshot()), before);
    EXPECT_TRUE(simulator->PluggedIn());
    EXPECT_EQ(console->Execute("quit"), "bye");
    EXPECT_TRUE(console->QuitRequested());
}

TEST_F(ConsoleTest, GoodVerbsReachTheController) {
    EXPECT_EQ(console->Execute(""), "");
    EXPECT_EQ(console->Execute("sms-to 20 Bank two  spaces\\r\\n"), "stored in slot 20");
    EXPECT_EQ(console->Execute("  sms\t+1 first"), "stored in slot 1");
    for (int i = 2; i <= 19; ++i) {
        ASSERT_EQ(console->Execute("sms +1 filler"), "stored in slot " + std::to_string(i));
    }
    EXPECT_EQ(console->Execute("sms +1 one too many"), "refused: the storage is full");
    EXPECT_EQ(console->Execute("clear 2"), "slot 2 is empty");
    // A text shows as typed, its control characters (U+001B, U+009B) made visible.
    EXPECT_EQ(console->Execute("sms +1 中文\\e\\xC2\\x9B"), "stored in slot 2");
    const std::string list = console->Execute("list");
    EXPECT_TRUE(list.find("20  REC UNREAD  Bank") != std::string::npos &&
                list.find("two  spaces\\r\\n") != std::string::npos &&
                list.find("  中文\\e\\xC2\\x9B\n") != std::string::npos)
        << list;
    EXPECT_EQ(console->Execute("clear 3") + console->Execute("clear 4"),
              "slot 3 is emptyslot 4 is empty");
    EXPECT_EQ(console->Execute("sms-reverse +1 " + std::string(170, 'y')),
              "2 parts, ref 1: slot 3, 4");
    EXPECT_NE(console->Execute("list").find("part 2/2 ref 1  yyyyyyyyyyyyyyyyy\n"),
              std::string::npos);
    EXPECT_EQ(console->Execute("ring withheld"), "ringing, number withheld");
    EXPECT_EQ(console->Execute("hangup"), "the other side hung up");
    for (const char* verb : {"silent on", "error +cmgs", "delay 250", "split 7 30", "sendfail 42",
                             "emptyread error", "creg 5"}) {
        console->Execute(verb);
    }
    EXPECT_EQ(console->Execute("error ATE0"), "ERROR to E");
    const ModemState state = simulator->Snapshot();
    EXPECT_EQ(Observable(state).substr(Observable(state).rfind(';') + 1),
              "1,0,2,250,7,30,42,1,0,5,");
    EXPECT_EQ(state.faults.errorCommands, (std::set<std::string>{"+CMGS", "E"}));
    console->Execute("error off");
    console->Execute("split off");
    const modemsim::Faults cleared = simulator->Snapshot().faults;
    EXPECT_TRUE(cleared.errorCommands.empty() && cleared.splitBytes == 0u);
    // Slots are numbered as the family numbers them.
    EXPECT_EQ(console->Execute("smsprofile arrive-me"),
              "messages are filed as the arrive-me modules do");
    EXPECT_EQ(console->Execute("sms +1 into the phone") + console->Execute("clear 24"),
              "stored in slot 0slot 24 is empty");
    EXPECT_EQ(console->Execute("sms-to 25 +1 x"), "refused: slot 25 is not in 0..24");
    const std::string device = simulator->DevicePath();
    EXPECT_EQ(console->Execute("unplug"), "unplugged: " + device + " has gone");
    EXPECT_EQ(console->Execute("unplug 10"), "refused: the modem is unplugged already");
    EXPECT_NE(console->Execute("status").find(device + " (unplugged)\n"), std::string::npos);
    const std::string replugged = console->Execute("replug");  // before the new path is asked
    EXPECT_EQ(replugged, "plugged in as " + simulator->DevicePath());
    EXPECT_NE(console->Execute("unplug 0").find("; back in 0 ms"), std::string::npos);
}

// The SIM, the start-up and reset from the console: good values reach the simulator, bad ones are
// explained; status shows them; a reset while unplugged is refused.
TEST_F(ConsoleTest, SimBootAndResetVerbs) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"sim pin 123", "refused: the PIN must be 4 to 8 digits"},
        {"sim pin 123456789", "refused: the PIN must be"}, {"sim pin 12a4", "refused: the PIN"},
        {"sim pin", "usage"}, {"sim sideways", "usage"}, {"boot 60001", "usage"},
        {"boot -1", "usage"}, {"bootprofile Simcom", "refused: the boot profile must be one of"},
        {"reset now", "usage"}, {"sim pin 1234", "the SIM asks for PIN 1234"},
        {"sim out", "the SIM is out"}, {"boot 250", "the module starts up in 250 ms"},
        {"bootprofile huawei", "the module comes up as the huawei modules do"}};
    // clang-format on
    for (const auto& [line, expected] : cases) {
        const std::string reply = console->Execute(line);
        EXPECT_EQ(reply.find(expected), 0u) << line << " -> " << reply;
    }
    const ModemState state = simulator->Snapshot();
    EXPECT_TRUE(state.sim.pin == "1234" && !state.sim.inserted && state.bootMs == 250);
    EXPECT_EQ(state.bootProfile, modemsim::BootProfile::kHuawei);
    const std::string device = simulator->DevicePath();
    EXPECT_EQ(console->Execute("reset"), "reset: the modem restarts on " + device);
    const std::string status = console->Execute("status");
    EXPECT_NE(status.find("\nsim out\nboot profile huawei, 250 ms, starting up"), std::string::npos)
        << status;
    console->Execute("sim in");
    EXPECT_NE(console->Execute("status").find("\nsim in, PIN 1234, 3 of 3 tries left\n"),
              std::string::npos);
    console->Execute("unplug");
    EXPECT_EQ(console->Execute("reset"), "refused: the modem is unplugged");
}

// Paths for one run of the program: its link, and a file for what it writes.
struct Paths {
    Paths() {
        static std::mt19937 random(std::random_device{}());
        const std::string base = ::testing::TempDir() + "modemsim_" + std::to_string(random());
        link = base + "_link";
        out = base + "_out";
    }
    ~Paths() { fs::remove(out); }
    std::string Output() const {
        std::stringstream text;
        text << std::ifstream(out).rdbuf();
        return text.str();
    }
    std::string link;
    std::string out;
};

// The script runs under sh with $MODEMSIM, $LINK, $OUT and $TTY set, standard input from nowhere.
std::unique_ptr<platform::ChildProcess> StartScript(const std::string& script, const Paths& paths,
                                                    const std::string& tty = "") {
    std::string error;
    auto child = platform::ChildProcess::Start(
        {"/bin/sh", "-c", "{ " + script + "; } < /dev/null"},
        {{"MODEMSIM", MODEMSIM_PROGRAM}, {"LINK", paths.link}, {"OUT", paths.out}, {"TTY", tty}},
        error);
    EXPECT_NE(child, nullptr) << error;
    return child;
}

bool Eventually(const std::function<bool()>& holds) {
    for (int i = 0; i < 150 && !holds(); ++i) {
        std::this_thread::sleep_for(20ms);
    }
    return holds();
}

void ExpectAnswers(const std::string& device) {
    EXPECT_EQ(ModemClient(device).Exchange("AT\r\n", "AT\r\r\nOK\r\n"), "AT\r\r\nOK\r\n");
}

TEST(ProgramOptions, RefusesWhatTheUsageDoesNotAllow) {
    // clang-format off
    const std::vector<std::vector<std::string>> bad = {
        {"--link"}, {"--link", ""}, {"--ring-period", "0"}, {"--ring-period", "4"},
        {"--ring-period", "600001"}, {"--ring-period", "-5"}, {"--network-delay", "1s"},
        {"--network-delay", "60001"}, {"--sms-profile", "Standard"}, {"run"}, {"--bogus"}};
    // clang-format on
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(modemsim::ParseProgramOptions(args, error) || error.empty()) << args[0];
    }
}

TEST(ProgramOptions, SimAndBootValuesAreCheckedAndTaken) {
    // clang-format off
    const std::vector<std::vector<std::string>> bad = {
        {"--sim-pin", "123"}, {"--sim-pin", "123456789"}, {"--sim-pin", "12 4"}, {"--sim-pin"},
        {"--boot-ms", "60001"}, {"--boot-ms", "-1"}, {"--boot-profile", "Simcom"}};
    // clang-format on
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(modemsim::ParseProgramOptions(args, error) || error.empty()) << args[0];
    }
    std::string error;
    const auto options = modemsim::ParseProgramOptions(
        {"--sim-pin", "12345678", "--no-sim", "--boot-ms", "60000", "--boot-profile", "quectel"},
        error);
    ASSERT_TRUE(options) << error;
    EXPECT_TRUE(options->simPin == "12345678" && !options->sim && options->bootMs == 60000);
    EXPECT_EQ(options->bootProfile, "quectel");
}

TEST(Program, RunGivesTheProgramTheDeviceAndReturnsItsStatus) {
    const std::pair<const char*, int> cases[] = {
        {"exec \"$MODEMSIM\" --no-trace run sh -c 'test -c \"$COM1\" && exit 7'", 7},
        {"exec \"$MODEMSIM\" --no-trace run /nonexistent/program", 1},
        {"exec \"$MODEMSIM\" --no-trace --ring-period 0", 2},
    };
    for (const auto& [script, status] : cases) {
        const Paths paths;
        auto child = StartScript(script, paths);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->Wait(), status) << script;
    }
}

// The console reads a pipe when asked to; in run mode standard input is otherwise the program's.
TEST(Program, ConsoleOnAPipeOrStandardInputForTheProgram) {
    const Paths paths;
    auto child = StartScript(
        "printf 'sms +39 hi\\nlist\\nbogus\\n' | \"$MODEMSIM\" --no-trace --console "
        "--sms-profile zero-based --link "
        "\"$LINK\" run sh -c 'sleep 0.3; test \"$LINK\" = \"$COM1\" && test -c \"$COM1\"' > "
        "\"$OUT\"",
        paths);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Wait(), 0);
    const std::string console = paths.Output();
    EXPECT_NE(console.find("   0  REC UNREAD  +39"), std::string::npos) << console;
    EXPECT_NE(console.find("unknown verb 'bogus'"), std::string::npos) << console;
    EXPECT_FALSE(fs::is_symlink(paths.link));

    child = StartScript(
        "printf 'quit\\n' | \"$MODEMSIM\" --no-trace run sh -c 'read l && echo \"$l\" > \"$OUT\"'",
        paths);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Wait(), 0);
    EXPECT_EQ(paths.Output(), "quit\n");
}

// Without a console, and without a program to run, the modem serves until terminated.
TEST(Program, ServesWithoutConsoleUntilTerminated) {
    const Paths paths;
    auto child = StartScript(
        "exec \"$MODEMSIM\" --no-trace --no-console --link \"$LINK\" > \"$OUT\"", paths);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(Eventually([&] { return fs::is_symlink(paths.link); }));
    ExpectAnswers(paths.link);
    EXPECT_EQ(paths.Output(), fs::read_symlink(paths.link).string() + "\n");
    child->Terminate();
    EXPECT_EQ(child->Wait(), 0);
    EXPECT_FALSE(fs::is_symlink(paths.link));
}

// The SIM and the boot profile of the command line reach the modem: its power-on lines wait in the
// device for the first program that opens it.
TEST(Program, StartsWithTheSimAndBootProfileOfTheCommandLine) {
    const Paths paths;
    auto child = StartScript(
        "exec \"$MODEMSIM\" --no-trace --no-console --sim-pin 1234 --boot-profile quectel --link "
        "\"$LINK\"",
        paths);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(Eventually([&] { return fs::is_symlink(paths.link); }));
    const std::string expected =
        "\r\nRDY\r\n\r\n+CPIN: SIM PIN\r\nAT+CPIN?\r\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n";
    EXPECT_EQ(ModemClient(paths.link).Exchange("AT+CPIN?\r", expected), expected);
    child->Terminate();
    EXPECT_EQ(child->Wait(), 0);
}

// quit or a termination signal ends the program under test (a program that ends on SIGTERM gives
// 143) and removes the link. One that ignores SIGTERM gets the grace time, or less when a second
// signal comes, and is then killed.
TEST(Program, QuitOrSignalsEndTheProgramUnderTest) {
    const int grace = modemsim::ChildWatch::kGraceMs;
    const struct {
        const char* feed;
        bool ignoresTerm;
        std::vector<int> signals;
        int status;
        long long leastMs, mostMs;
    } cases[] = {{"printf 'quit\\n' | ", false, {}, 128 + SIGTERM, 0, 2500},
                 {"", false, {SIGHUP}, 128 + SIGTERM, 0, 2500},
                 {"", true, {SIGTERM, SIGINT}, 128 + SIGKILL, 0, grace - 1000},
                 {"", true, {SIGTERM}, 128 + SIGKILL, grace - 100, grace + 3000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ignoresTerm << c.signals.size());
        const Paths paths;
        auto child = StartScript(
            std::string(c.feed) +
                "exec \"$MODEMSIM\" --no-trace --console --link \"$LINK\" run sh -c \"" +
                (c.ignoresTerm ? "trap '' TERM INT; " : "") +
                ": > \\\"\\$OUT\\\"; exec sleep 30 > /dev/null 2>&1\"",
            paths);
        ASSERT_NE(child, nullptr);
        Stopwatch watch;
        if (!c.signals.empty()) {
            ASSERT_TRUE(Eventually([&] { return fs::exists(paths.out); }));
            watch = Stopwatch();
            for (const int signal : c.signals) {
                child->Signal(signal);
                std::this_thread::sleep_for(200ms);
            }
        }
        EXPECT_EQ(child->Wait(), c.status);
        EXPECT_GE(watch.ElapsedMs(), c.leastMs);
        EXPECT_LT(watch.ElapsedMs(), c.mostMs);
        EXPECT_FALSE(fs::is_symlink(paths.link));
    }
}

// Ctrl-C at the terminal reaches the program under test too; modemsim lets it end as it chooses
// instead of sending a SIGTERM on top (a second signal, which the programs take as "end at once").
TEST(Program, CtrlCAtTheTerminalLeavesTheProgramItsOwnEnd) {
    auto terminal = platform::PseudoTerminal::Create();
    ASSERT_NE(terminal, nullptr);
    const Paths paths;
    auto child = StartScript(
        "stty isig intr ^C < \"$TTY\" && exec setsid -c \"$MODEMSIM\" --no-trace --link "
        "\"$LINK\" run sh -c "
        "'trap \": > \\\"$OUT.term\\\"\" TERM; trap i=1 INT; : > \"$OUT\"; "
        "while [ -z \"$i\" ]; do sleep 0.05; done; sleep 0.3; exit 7' "
        "< \"$TTY\" > \"$TTY\" 2>&1",
        paths, terminal->SlavePath());
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(Eventually([&] { return fs::exists(paths.out); }));
    terminal->Write("\x03");
    EXPECT_EQ(child->Wait(), 7);
    EXPECT_FALSE(fs::remove(paths.out + ".term")) << "a SIGTERM on top of the Ctrl-C";
}

// Started with & from an interactive shell: a read of the terminal would stop the whole process.
// Here the console gives up instead, says so once, and the modem keeps answering.
TEST(Program, InTheBackgroundTheConsoleStepsAsideAndTheModemServes) {
    auto terminal = platform::PseudoTerminal::Create();
    ASSERT_NE(terminal, nullptr);
    const Paths paths;
    auto child = StartScript(
        "exec setsid -c sh -c 'set -m; \"$MODEMSIM\" --no-trace --link \"$LINK\" & pid=$!; "
        "sleep 30 & sleeper=$!; trap \"kill \\$pid \\$sleeper; wait \\$pid; exit \\$?\" TERM; "
        "wait $sleeper' < \"$TTY\" > \"$TTY\" 2>&1",
        paths, terminal->SlavePath());
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(Eventually([&] { return fs::is_symlink(paths.link); }));
    terminal->Write("status\n");  // typed at the shell; the job in the background must not read it
    std::string shown;
    for (int i = 0; i < 30 && shown.find(modemsim::kConsoleOffNotice) == std::string::npos; ++i) {
        shown += terminal->Read(100);
    }
    EXPECT_NE(shown.find(std::string(modemsim::kConsoleOffNotice) + "\n"), std::string::npos)
        << shown;
    ExpectAnswers(paths.link);
    shown += terminal->Read(200);
    EXPECT_EQ(shown.find("device "), std::string::npos) << "the console read the line: " << shown;
    child->Terminate();
    EXPECT_EQ(child->Wait(), 0);
    EXPECT_FALSE(fs::is_symlink(paths.link));
}

}  // namespace
