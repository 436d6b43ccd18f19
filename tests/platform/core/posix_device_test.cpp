// The real serial device on a pseudo-terminal: read rule, exclusive open, close during a read.

#include <gtest/gtest.h>

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
    EXPECT_FALSE(m_backend.OpenDevice(m_name).IsValid());
    EXPECT_FALSE(otherBackend.OpenDevice(m_name).IsValid());
    m_backend.CloseDevice(first);
    DeviceHandle again = otherBackend.OpenDevice(m_name);
    EXPECT_TRUE(again.IsValid());
    otherBackend.CloseDevice(again);
}

TEST_F(PosixDevice, MissingDeviceAndNonDevicePathsDoNotOpen) {
    EXPECT_FALSE(m_backend.OpenDevice(u"/dev/no-such-modem").IsValid());
    EXPECT_FALSE(m_backend.OpenDevice(u"/").IsValid());
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
