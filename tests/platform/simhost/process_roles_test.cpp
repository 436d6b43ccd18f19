// The process roles under the simulator program: console input and output, bounded writes,
// symbolic links, child processes and termination signals, at their edges.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "platform/simhost/bounded_write.h"
#include "platform/simhost/child_process.h"
#include "platform/simhost/console_input.h"
#include "platform/simhost/console_output.h"
#include "platform/simhost/file_links.h"
#include "platform/simhost/pipe.h"
#include "platform/simhost/pseudo_terminal.h"
#include "platform/simhost/termination_signal.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using platform::ConsoleInput;
using Status = platform::ConsoleInput::Status;

std::unique_ptr<platform::Pipe> FullPipe() {
    auto pipe = platform::Pipe::Create();
    if (pipe) {
        platform::WriteWithin(pipe->WriteEnd(), std::string(1 << 20, 'F'), 0);
    }
    return pipe;
}

TEST(WriteWithin, GivesUpOnAFullPipeAfterTheTimeOut) {
    auto pipe = FullPipe();
    ASSERT_NE(pipe, nullptr);
    for (const int timeoutMs : {0, 200}) {
        Stopwatch watch;
        EXPECT_EQ(platform::WriteWithin(pipe->WriteEnd(), "x", timeoutMs), 0u);
        EXPECT_GE(watch.ElapsedMs(), timeoutMs - 20);
        EXPECT_LT(watch.ElapsedMs(), timeoutMs + 1000);
    }
}

TEST(WriteWithin, WritesEverythingToAReaderThatKeepsUp) {
    auto pipe = platform::Pipe::Create();
    ASSERT_NE(pipe, nullptr);
    const std::string text(300000, 'T');
    std::size_t received = 0;
    std::thread reader([&] {
        while (received < text.size()) {
            const std::string bytes = pipe->Read(2000);
            if (bytes.empty()) {
                return;
            }
            received += bytes.size();
        }
    });
    EXPECT_EQ(platform::WriteWithin(pipe->WriteEnd(), text, 5000), text.size());
    reader.join();
    EXPECT_EQ(received, text.size());
}

// A reader that has gone is an answer, not a signal that kills the writer.
TEST(WriteWithin, ReaderGoneFailsAtOnceWithoutSigpipe) {
    auto pipe = platform::Pipe::Create();
    ASSERT_NE(pipe, nullptr);
    pipe->CloseReadEnd();
    Stopwatch watch;
    EXPECT_EQ(platform::WriteWithin(pipe->WriteEnd(), "x", 1000), 0u);
    EXPECT_LT(watch.ElapsedMs(), 500);
}

TEST(ConsoleOutput, InterruptEndsAWriteThatWaitsForRoom) {
    auto pipe = FullPipe();
    ASSERT_NE(pipe, nullptr);
    auto output = platform::ConsoleOutput::Create(pipe->WriteEnd());
    ASSERT_NE(output, nullptr);
    Stopwatch watch;
    std::thread interrupter([&] {
        std::this_thread::sleep_for(100ms);
        output->Interrupt();
    });
    EXPECT_FALSE(output->Write("blocked"));
    interrupter.join();
    EXPECT_GE(watch.ElapsedMs(), 80);
    EXPECT_LT(watch.ElapsedMs(), 2000);
    EXPECT_FALSE(output->Write("later"));  // for good
}

struct Read {
    Status status;
    std::string line;
};

// Everything ReadLine gives for `input` written at once and then closed, up to the first kEnd.
std::vector<Read> ReadAll(const std::string& input) {
    auto pipe = platform::Pipe::Create();
    auto console = ConsoleInput::Create(pipe->ReadEnd());
    std::thread writer([&] {
        platform::WriteWithin(pipe->WriteEnd(), input, 5000);
        pipe->CloseWriteEnd();
    });
    std::vector<Read> reads;
    for (;;) {
        Read read{Status::kEnd, {}};
        read.status = console->ReadLine(read.line);
        reads.push_back(read);
        if (read.status != Status::kLine && read.status != Status::kTooLong) {
            break;
        }
    }
    writer.join();
    return reads;
}

TEST(ConsoleInput, SplitsLinesDropsOverlongOnesAndKeepsALastLineWithoutEnd) {
    const std::string longLine(ConsoleInput::kMaxLine + 1, 'x');
    const std::string veryLong(10 * ConsoleInput::kMaxLine, 'y');
    const struct {
        std::string input;
        std::vector<Read> expected;
    } cases[] = {
        {"", {{Status::kEnd, ""}}},
        {"one\r\ntwo\n\n",
         {{Status::kLine, "one"}, {Status::kLine, "two"}, {Status::kLine, ""}, {Status::kEnd, ""}}},
        {"last", {{Status::kLine, "last"}, {Status::kEnd, ""}}},
        {std::string(ConsoleInput::kMaxLine, 'm') + "\n",
         {{Status::kLine, std::string(ConsoleInput::kMaxLine, 'm')}, {Status::kEnd, ""}}},
        {longLine + "\nafter\n",
         {{Status::kTooLong, ""}, {Status::kLine, "after"}, {Status::kEnd, ""}}},
        {"a\n" + veryLong + "\nb",
         {{Status::kLine, "a"}, {Status::kTooLong, ""}, {Status::kLine, "b"}, {Status::kEnd, ""}}},
        {veryLong, {{Status::kTooLong, ""}, {Status::kEnd, ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 20));
        const std::vector<Read> reads = ReadAll(c.input);
        ASSERT_EQ(reads.size(), c.expected.size());
        for (std::size_t i = 0; i < reads.size(); ++i) {
            EXPECT_EQ(reads[i].status, c.expected[i].status) << i;
            if (reads[i].status == Status::kLine) {
                EXPECT_EQ(reads[i].line, c.expected[i].line) << i;
            }
        }
    }
}

TEST(ConsoleInput, InterruptEndsAWaitingReadAndEveryLaterOne) {
    auto pipe = platform::Pipe::Create();
    ASSERT_NE(pipe, nullptr);
    auto console = ConsoleInput::Create(pipe->ReadEnd());
    ASSERT_NE(console, nullptr);
    EXPECT_FALSE(console->IsTerminal());
    std::thread interrupter([&] {
        std::this_thread::sleep_for(100ms);
        console->Interrupt();
    });
    std::string line;
    Stopwatch watch;
    EXPECT_EQ(console->ReadLine(line), Status::kInterrupted);
    interrupter.join();
    EXPECT_GE(watch.ElapsedMs(), 80);
    EXPECT_LT(watch.ElapsedMs(), 2000);
    platform::WriteWithin(pipe->WriteEnd(), "typed later\n", 1000);
    EXPECT_EQ(console->ReadLine(line), Status::kInterrupted);
}

class SymbolicLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::mt19937 random(std::random_device{}());
        m_dir = fs::path(::testing::TempDir()) / ("links_" + std::to_string(random()));
        fs::create_directories(m_dir);
        m_target = (m_dir / "device").string();
        std::ofstream(m_target) << "device";
        m_path = (m_dir / "modem").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir;
    std::string m_target;
    std::string m_path;
};

TEST_F(SymbolicLinkTest, ReplacesOnlyLeftoversOfEarlierRuns) {
    const std::string other = (m_dir / "other").string();
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
         [this](const std::string& p) { fs::create_symlink((m_dir / "gone").string(), p); }, true},
        {"someone else's link", [&](const std::string& p) { fs::create_symlink(other, p); }, false},
        {"a file", [](const std::string& p) { std::ofstream(p) << "keep me"; }, false},
        {"a directory", [](const std::string& p) { fs::create_directory(p); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(m_path);
        c.prepare(m_path);
        const auto before = fs::symlink_status(m_path).type();
        const std::string beforeTarget = fs::is_symlink(m_path) ? fs::read_symlink(m_path) : "";
        std::string error;
        {
            auto link = platform::SymbolicLink::Create(m_target, m_path, error);
            EXPECT_EQ(link != nullptr, c.made) << error;
            if (link) {
                EXPECT_TRUE(platform::IsLinkTo(m_path, m_target));
            } else {
                EXPECT_NE(error.find(m_path), std::string::npos) << error;
                EXPECT_EQ(fs::symlink_status(m_path).type(), before);
                EXPECT_EQ(fs::is_symlink(m_path) ? fs::read_symlink(m_path) : "", beforeTarget);
            }
        }
        if (c.made) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(m_path)));
        }
    }
    EXPECT_TRUE(fs::exists(other));
}

TEST_F(SymbolicLinkTest, LeavesThePathAloneOnceSomeoneElseHasTakenIt) {
    std::string error;
    auto link = platform::SymbolicLink::Create(m_target, m_path, error);
    ASSERT_NE(link, nullptr) << error;
    fs::remove(m_path);
    fs::create_symlink(m_dir, m_path);
    link.reset();
    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(fs::read_symlink(m_path), m_dir);
}

std::unique_ptr<platform::ChildProcess> StartShell(const std::string& script,
                                                   const std::string& tty = "") {
    std::string error;
    auto child = platform::ChildProcess::Start({"/bin/sh", "-c", script}, {{"TTY", tty}}, error);
    EXPECT_NE(child, nullptr) << error;
    return child;
}

TEST(ChildProcess, ExitStatusIncludesTheSignalThatEndedIt) {
    const std::pair<const char*, int> cases[] = {
        {"exit 0", 0},
        {"exit 3", 3},
        {"kill -TERM $$", 128 + SIGTERM},
        {"kill -INT $$", 128 + SIGINT},
        {"kill -HUP $$", 128 + SIGHUP},
        {"kill -KILL $$", 128 + SIGKILL},
    };
    for (const auto& [script, status] : cases) {
        auto child = StartShell(script);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->Wait(), status) << script;
        EXPECT_TRUE(child->HasEnded());
    }
    std::string error;
    EXPECT_EQ(platform::ChildProcess::Start({"/nonexistent/program"}, {}, error), nullptr);
    EXPECT_NE(error.find("/nonexistent/program"), std::string::npos);
}

TEST(ChildProcess, SignalsAfterTheReapReachNobody) {
    auto child = StartShell("exit 5");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Wait(), 5);
    child->Terminate();
    child->Kill();
    EXPECT_EQ(child->Wait(), 5);
    EXPECT_TRUE(child->HasEnded());
}

// A child that ignores SIGTERM survives Terminate; Kill ends it, as the simulator does after its
// grace time.
TEST(ChildProcess, KillEndsAChildThatIgnoresTerminate) {
    auto terminal = platform::PseudoTerminal::Create();
    ASSERT_NE(terminal, nullptr);
    auto child =
        StartShell("trap '' TERM; echo ready > \"$TTY\"; exec sleep 30", terminal->SlavePath());
    ASSERT_NE(child, nullptr);
    std::string said;
    for (int i = 0; i < 30 && said.find("ready") == std::string::npos; ++i) {
        said += terminal->Read(100);
    }
    ASSERT_NE(said.find("ready"), std::string::npos);
    child->Terminate();
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(child->HasEnded());
    Stopwatch watch;
    child->Kill();
    EXPECT_EQ(child->Wait(), 128 + SIGKILL);
    EXPECT_LT(watch.ElapsedMs(), 2000);
}

// Signals are raised at this thread, which the object has them blocked in, so they wait in the
// descriptor and nothing else in the test process sees them.
TEST(TerminationSignal, WaitGivesEachSignalThenTimesOutOrIsCancelled) {
    auto signals = platform::TerminationSignal::Create();
    ASSERT_NE(signals, nullptr);
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        std::raise(number);
        EXPECT_EQ(signals->Wait(), number);
    }
    Stopwatch watch;
    EXPECT_EQ(signals->Wait(150), 0);
    EXPECT_GE(watch.ElapsedMs(), 130);
    EXPECT_LT(watch.ElapsedMs(), 1500);

    std::thread canceller([&] {
        std::this_thread::sleep_for(100ms);
        signals->Cancel();
    });
    EXPECT_EQ(signals->Wait(), 0);
    canceller.join();
    signals->Cancel();
    signals->Cancel();  // two before the next Wait count as one
    EXPECT_EQ(signals->Wait(5000), 0);
    Stopwatch again;
    EXPECT_EQ(signals->Wait(100), 0);  // the cancels were used up
    EXPECT_GE(again.ElapsedMs(), 80);
    std::raise(SIGTERM);  // left pending: destruction must discard it, not die of it
}

}  // namespace
