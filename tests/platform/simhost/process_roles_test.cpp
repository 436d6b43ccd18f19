// The process roles under the simulator program at their edges: console input and output, bounded
// writes, symbolic links and child processes.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "platform/core/bounded_write.h"
#include "platform/simhost/child_process.h"
#include "platform/simhost/console_input.h"
#include "platform/simhost/console_output.h"
#include "platform/simhost/file_links.h"
#include "platform/simhost/pipe.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using platform::ConsoleInput;
using Status = platform::ConsoleInput::Status;

void ExpectTook(const Stopwatch& watch, long long leastMs, long long mostMs) {
    EXPECT_GE(watch.ElapsedMs(), leastMs);
    EXPECT_LT(watch.ElapsedMs(), mostMs);
}

std::unique_ptr<platform::Pipe> FullPipe() {
    auto pipe = platform::Pipe::Create();
    if (pipe) {
        platform::WriteWithin(pipe->WriteEnd(), std::string(1 << 20, 'F'), 0);
    }
    return pipe;
}

// A full pipe is given up on after the time-out, a reader gone fails at once (no SIGPIPE), and a
// reader that keeps up gets everything.
TEST(WriteWithin, TimesOutOnAFullPipeFailsOnAGoneReaderAndWritesAll) {
    auto full = FullPipe();
    ASSERT_NE(full, nullptr);
    for (const int timeoutMs : {0, 200}) {
        Stopwatch watch;
        EXPECT_EQ(platform::WriteWithin(full->WriteEnd(), "x", timeoutMs), 0u);
        ExpectTook(watch, timeoutMs - 20, timeoutMs + 1000);
    }
    full->CloseReadEnd();
    Stopwatch watch;
    EXPECT_EQ(platform::WriteWithin(full->WriteEnd(), "x", 1000), 0u);
    ExpectTook(watch, 0, 500);
    auto pipe = platform::Pipe::Create();
    const std::string text(300000, 'T');
    std::size_t received = 0;
    std::thread reader([&] {
        for (std::string bytes = "-"; received < text.size() && !bytes.empty();
             received += bytes.size()) {
            bytes = pipe->Read(2000);
        }
    });
    EXPECT_EQ(platform::WriteWithin(pipe->WriteEnd(), text, 5000), text.size());
    reader.join();
    EXPECT_EQ(received, text.size());
}

// What ReadLine gives for `input` written at once and then closed, as "line|<too long>|<end>".
std::string ReadAll(const std::string& input) {
    auto pipe = platform::Pipe::Create();
    auto console = ConsoleInput::Create(pipe->ReadEnd());
    std::thread writer([&] {
        platform::WriteWithin(pipe->WriteEnd(), input, 5000);
        pipe->CloseWriteEnd();
    });
    std::string reads;
    for (Status status = Status::kLine; status == Status::kLine || status == Status::kTooLong;) {
        std::string line;
        status = console->ReadLine(line);
        reads += status == Status::kLine      ? line + "|"
                 : status == Status::kTooLong ? "<too long>|"
                 : status == Status::kEnd     ? "<end>"
                                              : "<other>";
    }
    writer.join();
    return reads;
}

TEST(ConsoleInput, SplitsLinesDropsOverlongOnesAndKeepsALastLineWithoutEnd) {
    const std::string full(ConsoleInput::kMaxLine, 'm');
    const std::string veryLong(10 * ConsoleInput::kMaxLine, 'y');
    const std::pair<std::string, std::string> cases[] = {
        {"one\r\ntwo\n\n", "one|two||<end>"},
        {full + "\n", full + "|<end>"},
        {full + "x\nafter\n", "<too long>|after|<end>"},
        {"a\n" + veryLong + "\nb", "a|<too long>|b|<end>"},
        {veryLong, "<too long>|<end>"}};
    for (const auto& [input, reads] : cases) {
        EXPECT_EQ(ReadAll(input), reads) << input.substr(0, 20);
    }
}

// The console thread's way out: Interrupt ends a read that waits for input and a write that waits
// for room, and every later one.
TEST(ConsoleInputAndOutput, InterruptEndsAWaitingCallAndEveryLaterOne) {
    auto input = platform::Pipe::Create();
    auto full = FullPipe();
    auto console = ConsoleInput::Create(input->ReadEnd());
    auto output = platform::ConsoleOutput::Create(full->WriteEnd());
    ASSERT_TRUE(console && output);
    std::thread interrupter([&] {
        std::this_thread::sleep_for(100ms);
        console->Interrupt();
        std::this_thread::sleep_for(100ms);
        output->Interrupt();
    });
    std::string line;
    Stopwatch watch;
    EXPECT_EQ(console->ReadLine(line), Status::kInterrupted);
    ExpectTook(watch, 80, 2000);
    EXPECT_FALSE(output->Write("blocked"));
    ExpectTook(watch, 180, 2000);
    interrupter.join();
    platform::WriteWithin(input->WriteEnd(), "typed later\n", 1000);
    EXPECT_EQ(console->ReadLine(line), Status::kInterrupted);
    EXPECT_FALSE(output->Write("later"));
}

std::string Describe(const std::string& path) {
    const fs::file_status status = fs::symlink_status(path);
    return std::to_string(static_cast<int>(status.type())) +
           (fs::is_symlink(status) ? fs::read_symlink(path).string() : "");
}

TEST(SymbolicLink, ReplacesOnlyLeftoversOfEarlierRunsAndRemovesOnlyItsOwn) {
    static std::mt19937 random(std::random_device{}());
    const fs::path dir = fs::path(::testing::TempDir()) / ("links_" + std::to_string(random()));
    fs::create_directories(dir);
    const std::string target = (dir / "device").string();
    const std::string path = (dir / "modem").string();
    const std::string other = (dir / "other").string();
    std::ofstream(target) << "device";
    std::ofstream(other) << "other";
    const struct {
        const char* what;
        std::function<void(const std::string& path)> prepare;
        bool made;
    } cases[] = {
        {"nothing there", [](const std::string&) {}, true},
        {"a link into /dev/pts",
         [](const std::string& p) { fs::create_symlink("/dev/pts/999", p); }, true},
        {"a dangling link",
         [&](const std::string& p) { fs::create_symlink((dir / "gone").string(), p); }, true},
        {"someone else's link", [&](const std::string& p) { fs::create_symlink(other, p); }, false},
        {"a file", [](const std::string& p) { std::ofstream(p) << "keep me"; }, false},
        {"a directory", [](const std::string& p) { fs::create_directory(p); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path);
        c.prepare(path);
        const std::string before = Describe(path);
        std::string error;
        auto link = platform::SymbolicLink::Create(target, path, error);
        EXPECT_EQ(link != nullptr, c.made) << error;
        EXPECT_TRUE(link ? platform::IsLinkTo(path, target)
                         : error.find(path) != std::string::npos && Describe(path) == before)
            << error;
        link.reset();
        EXPECT_EQ(fs::exists(fs::symlink_status(path)), !c.made);
    }
    EXPECT_TRUE(fs::exists(other));
    // A link of ours that someone else has replaced is left alone.
    fs::remove_all(path);
    std::string error;
    auto link = platform::SymbolicLink::Create(target, path, error);
    ASSERT_NE(link, nullptr) << error;
    fs::remove(path);
    fs::create_symlink(dir, path);
    link.reset();
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(fs::read_symlink(path), dir);
    fs::remove_all(dir);
}

// The status includes the signal that ended the child; signals after the reap reach nobody.
TEST(ChildProcess, ExitStatusIncludesTheSignalThatEndedIt) {
    // clang-format off
    const std::pair<const char*, int> cases[] = {
        {"exit 3", 3}, {"kill -TERM $$", 128 + SIGTERM}, {"kill -HUP $$", 128 + SIGHUP},
        {"kill -KILL $$", 128 + SIGKILL}};
    // clang-format on
    std::string error;
    for (const auto& [script, status] : cases) {
        auto child = platform::ChildProcess::Start({"/bin/sh", "-c", script}, {}, error);
        ASSERT_NE(child, nullptr) << error;
        EXPECT_EQ(child->Wait(), status) << script;
        child->Terminate();
        child->Kill();
        EXPECT_EQ(child->Wait(), status) << script;
    }
    EXPECT_EQ(platform::ChildProcess::Start({"/nonexistent/program"}, {}, error), nullptr);
    EXPECT_NE(error.find("/nonexistent/program"), std::string::npos);
}

}  // namespace
