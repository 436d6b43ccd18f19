// The real serial device on a pseudo-terminal: read rule, exclusive open, close during a read,
// and the line on stderr that says why an open failed.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/codepage.h"
#include "platform/core/posix_backend.h"
#include "platform/simhost/pseudo_terminal.h"
#include "stopwatch.h"

namespace {

using platform::DeviceHandle;

constexpr platform::Timeouts kModemPort{100, 1, 100, 0, 0};

// How many lines of what this program said on stderr are "<program>: " + `line`.
std::size_t Lines(const std::string& said, const std::string& line) {
    const std::string text = "\n" + said;
    const std::string whole = "\n" + std::string(program_invocation_short_name) + ": " + line;
    std::size_t count = 0;
    for (std::size_t at = text.find(whole); at != std::string::npos;
         at = text.find(whole, at + 1)) {
        ++count;
    }
    return count;
}

class PosixDevice : public ::testing::Test {
protected:
    void SetUp() override {
        m_pty = platform::PseudoTerminal::Create();
        ASSERT_TRUE(m_pty);
        m_name = platform::Utf8ToUtf16(m_pty->SlavePath());
    }
    DeviceHandle OpenConfigured() {
        DeviceHandle device = m_backend.OpenDevice(m_name);
        EXPECT_TRUE(device.IsValid());
        platform::LineSettings settings;
        EXPECT_TRUE(m_backend.GetLineSettings(device, settings));
        settings.baudRate = 115200;
        EXPECT_TRUE(m_backend.SetLineSettings(device, settings));
        EXPECT_TRUE(m_backend.SetTimeouts(device, kModemPort));
        return device;
    }

    platform::PosixBackend m_backend;
    std::unique_ptr<platform::PseudoTerminal> m_pty;
    std::u16string m_name;
};

// The modem port's rule: 1 ms per wanted byte + 100 ms in all, and 100 ms after the last byte.
TEST_F(PosixDevice, ReadEndsByTheReadRule) {
    const struct {
        const char* name;
        std::size_t wanted;
        std::string sent;  // 30 ms after the read begins; "" sends nothing
        long long minMs;
        long long maxMs;
    } rows[] = {
        {"nothing arrives: the total limit", 10, "", 105, 300},
        {"one interval after the last byte", 1024, "OK\r\n", 30 + 95, 30 + 300},
        {"a full buffer ends it at once", 64, std::string(64, 'x'), 0, 110},
    };
    DeviceHandle device = OpenConfigured();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Stopwatch watch;  // before the peer's pause begins
        std::thread peer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            m_pty->Write(row.sent);
        });
        std::vector<std::uint8_t> buffer(row.wanted);
        std::uint32_t received = 99;
        EXPECT_TRUE(m_backend.Read(device, buffer.data(), static_cast<std::uint32_t>(row.wanted),
                                   received));
        const long long elapsed = watch.ElapsedMs();
        peer.join();
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + received), row.sent);
        EXPECT_GE(elapsed, row.minMs);
        EXPECT_LT(elapsed, row.maxMs);
    }
    m_backend.CloseDevice(device);
}

TEST_F(PosixDevice, SecondOpenFailsWhileHeldAndSucceedsAfterClose) {
    DeviceHandle first = m_backend.OpenDevice(m_name);
    ASSERT_TRUE(first.IsValid());
    platform::PosixBackend otherBackend;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(m_backend.OpenDevice(m_name).IsValid());
    EXPECT_FALSE(otherBackend.OpenDevice(m_name).IsValid());
    // Root passes the tty's own exclusion and meets the lock; anyone else meets the exclusion.
    const std::string busy = "cannot open " + m_pty->SlavePath() +
                             ": Device or resource busy; held by process " +
                             std::to_string(::getpid()) + " (";
    EXPECT_EQ(Lines(::testing::internal::GetCapturedStderr(), busy), 2u);
    m_backend.CloseDevice(first);
    DeviceHandle again = otherBackend.OpenDevice(m_name);
    EXPECT_TRUE(again.IsValid());
    otherBackend.CloseDevice(again);
}

TEST_F(PosixDevice, MissingDeviceAndNonDevicePathsDoNotOpen) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(m_backend.OpenDevice(u"/dev/no-such-modem").IsValid());
    EXPECT_FALSE(m_backend.OpenDevice(u"/").IsValid());
    const std::string said = ::testing::internal::GetCapturedStderr();
    // Which devices exist is the machine's business; either way the line says where to look.
    const std::string missing = "cannot open /dev/no-such-modem: No such file or directory; ";
    EXPECT_EQ(Lines(said, missing + "serial devices present: /dev/") +
                  Lines(said, missing + "no serial device is present (/dev/ttyUSB*"),
              1u)
        << said;
    EXPECT_EQ(Lines(said, "cannot open /: Is a directory\n"), 1u) << said;
}

// Root opens anything, so the attempt is made by a child that is nobody; the file lets its group
// in and nobody else, its owner included.
TEST(PosixDeviceReasons, PermissionDeniedNamesTheGroupThatMayOpenIt) {
    char path[] = "/tmp/modem-denied-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fchmod(fd, 0060), 0);
    struct stat info {};
    ASSERT_EQ(::fstat(fd, &info), 0);
    ::close(fd);
    const std::string group = ::getgrgid(info.st_gid)->gr_name;
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDERR_FILENO);
        const bool nobody = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                                 ::setgid(65534) == 0 && ::setuid(65534) == 0);
        platform::PosixBackend backend;
        ::_exit(nobody && !backend.OpenDevice(platform::Utf8ToUtf16(path)).IsValid() ? 0 : 3);
    }
    ::close(out[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        said.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = -1;
    ::waitpid(child, &status, 0);
    ::unlink(path);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(
        Lines(said, std::string("cannot open ") + path + ": Permission denied; group " + group +
                        " may use it: sudo usermod -aG " + group + " $USER, then log in again\n"),
        1u)
        << said;
}

TEST_F(PosixDevice, CloseWakesABlockedReadAtOnce) {
    DeviceHandle device = OpenConfigured();
    m_backend.SetTimeouts(device, {0, 0, 0, 0, 0});  // would wait without limit
    std::uint32_t received = 0;
    bool ok = true;
    Stopwatch watch;
    std::thread reader([&] {
        std::uint8_t buffer[16];
        ok = m_backend.Read(device, buffer, sizeof buffer, received);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    m_backend.CloseDevice(device);
    reader.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(received, 0u);
    EXPECT_LT(watch.ElapsedMs(), 250);
}

TEST_F(PosixDevice, ReadFailsAtOnceWhenTheOtherSideIsGone) {
    DeviceHandle device = OpenConfigured();
    m_pty.reset();  // like a USB modem pulled out
    std::uint8_t buffer[16];
    std::uint32_t received = 0;
    Stopwatch watch;
    EXPECT_FALSE(m_backend.Read(device, buffer, sizeof buffer, received));
    EXPECT_LT(watch.ElapsedMs(), 50);
    m_backend.CloseDevice(device);
}

TEST_F(PosixDevice, StaleHandlesAreRefused) {
    DeviceHandle device = OpenConfigured();
    m_backend.CloseDevice(device);
    std::uint8_t byte = 'A';
    std::uint32_t count = 0;
    EXPECT_FALSE(m_backend.Write(device, &byte, 1, count));
    EXPECT_FALSE(m_backend.Read(device, &byte, 1, count));
    platform::LineSettings settings;
    EXPECT_FALSE(m_backend.SetLineSettings(device, settings));
    EXPECT_FALSE(m_backend.Purge(device));
}

TEST(PosixEvents, WaitTellsSetFromTimeoutFromBadHandle) {
    platform::PosixBackend backend;
    platform::EventHandle event = backend.CreateManualResetEvent();
    EXPECT_EQ(backend.WaitForEvent(event, 0), platform::WaitStatus::kTimeout);
    Stopwatch watch;
    EXPECT_EQ(backend.WaitForEvent(event, 60), platform::WaitStatus::kTimeout);
    EXPECT_GE(watch.ElapsedMs(), 58);
    backend.SetEvent(event);
    EXPECT_EQ(backend.WaitForEvent(event, 0), platform::WaitStatus::kSignaled);
    EXPECT_EQ(backend.WaitForEvent(event, 0), platform::WaitStatus::kSignaled);  // manual reset
    backend.ResetEvent(event);
    EXPECT_EQ(backend.WaitForEvent(event, 0), platform::WaitStatus::kTimeout);
    backend.CloseEvent(event);
    EXPECT_EQ(backend.WaitForEvent(event, 0), platform::WaitStatus::kFailed);
    EXPECT_EQ(backend.WaitForEvent(platform::EventHandle{}, 0), platform::WaitStatus::kFailed);
}

}  // namespace
