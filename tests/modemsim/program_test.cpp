// The modemsim program end to end: run mode, the link, the console on a pipe, signals.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "modem_client.h"
#include "platform/core/child_process.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string TempPath(const std::string& what) {
    static std::mt19937 random(std::random_device{}());
    return ::testing::TempDir() + "modemsim_test_" + what + "_" + std::to_string(random());
}

// The script runs under sh with $MODEMSIM, $LINK and $OUT set, standard input from nowhere.
std::unique_ptr<platform::ChildProcess> StartScript(const std::string& script,
                                                    const std::string& link,
                                                    const std::string& out) {
    std::string error;
    auto child = platform::ChildProcess::Start(
        {"/bin/sh", "-c", "{ " + script + "; } < /dev/null"},
        {{"MODEMSIM", MODEMSIM_PROGRAM}, {"LINK", link}, {"OUT", out}}, error);
    EXPECT_NE(child, nullptr) << error;
    return child;
}

std::string FileText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool WaitForLink(const std::string& link, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!fs::is_symlink(link) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    return fs::is_symlink(link);
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
    };
    for (const auto& c : cases) {
        auto child = StartScript(c.script, "", "");
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->Wait(), c.status) << c.script;
    }
}

TEST(Program, ConsoleOnAPipeAndLinkForTheProgram) {
    const std::string link = TempPath("link");
    const std::string out = TempPath("out");
    auto child = StartScript(
        "printf 'sms +39 hi\\nlist\\nbogus\\n' | \"$MODEMSIM\" --no-trace --link \"$LINK\" run "
        "sh -c 'sleep 0.3; test \"$(readlink \"$LINK\")\" = \"$COM1\"' > \"$OUT\"",
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

TEST(Program, ServesAfterEndOfInputUntilTerminated) {
    const std::string link = TempPath("link");
    const std::string out = TempPath("out");
    auto child =
        StartScript("exec \"$MODEMSIM\" --no-trace --link \"$LINK\" > \"$OUT\"", link, out);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(WaitForLink(link, 3s));
    {
        ModemClient client(link);
        ASSERT_TRUE(client.IsOpen());
        client.Send("AT\r\n");
        EXPECT_EQ(client.ReadAtLeast(9, 2s), "AT\r\r\nOK\r\n");
    }
    EXPECT_EQ(FileText(out), fs::read_symlink(link).string() + "\n");
    child->Terminate();
    EXPECT_EQ(child->Wait(), 0);
    EXPECT_FALSE(fs::is_symlink(link));
    fs::remove(out);
}

}  // namespace
