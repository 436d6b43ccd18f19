// The real serial device on a pseudo-terminal: read rule, exclusive open, close during a read.

#include <gtest/gtest.h>

#include <thread>

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

TEST_F(PosixDevice, ReadWithNothingArrivingEndsAtTheTotalLimit) {
    DeviceHandle device = OpenConfigured();
    std::uint8_t buffer[10];
    std::uint32_t received = 99;
    Stopwatch watch;
    EXPECT_TRUE(m_backend.Read(device, buffer, sizeof buffer, received));
    EXPECT_EQ(received, 0u);
    EXPECT_GE(watch.ElapsedMs(), 105);  // 1 ms x 10 + 100
    EXPECT_LT(watch.ElapsedMs(), 300);
    m_backend.CloseDevice(device);
}

TEST_F(PosixDevice, ReadEndsOneIntervalAfterTheLastByte) {
    DeviceHandle device = OpenConfigured();
    std::thread peer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        m_pty->Write("OK\r\n");
    });
    std::uint8_t buffer[1024];
    std::uint32_t received = 0;
    Stopwatch watch;
    EXPECT_TRUE(m_backend.Read(device, buffer, sizeof buffer, received));
    const long long elapsed = watch.ElapsedMs();
    peer.join();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), received), "OK\r\n");
    EXPECT_GE(elapsed, 30 + 95);
    EXPECT_LT(elapsed, 30 + 300);
    m_backend.CloseDevice(device);
}

TEST_F(PosixDevice, FullBufferEndsTheReadAtOnce) {
    DeviceHandle device = OpenConfigured();
    ASSERT_TRUE(m_pty->Write(std::string(64, 'x')));
    std::uint8_t buffer[64];
    std::uint32_t received = 0;
    Stopwatch watch;
    EXPECT_TRUE(m_backend.Read(device, buffer, sizeof buffer, received));
    EXPECT_EQ(received, 64u);
    EXPECT_LT(watch.ElapsedMs(), 80);
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

TEST(PosixEvents, SetReleasesEveryWaiter) {
    platform::PosixBackend backend;
    platform::EventHandle event = backend.CreateManualResetEvent();
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            if (backend.WaitForEvent(event, 5000) == platform::WaitStatus::kSignaled) {
                ++released;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    backend.SetEvent(event);
    for (auto& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(released.load(), 4);
    backend.CloseEvent(event);
}

TEST(PosixThreads, WaitForThreadTimesOutThenJoins) {
    platform::PosixBackend backend;
    static platform::PosixBackend* events = &backend;
    static platform::EventHandle go;
    go = backend.CreateManualResetEvent();
    platform::ThreadHandle thread = backend.StartThread(
        [](void*) -> std::uint32_t {
            events->WaitForEvent(go, platform::kWaitForever);
            return 0;
        },
        nullptr);
    ASSERT_TRUE(thread);
    EXPECT_EQ(backend.WaitForThread(thread, 30), platform::WaitStatus::kTimeout);
    backend.SetEvent(go);
    EXPECT_EQ(backend.WaitForThread(thread, platform::kWaitForever),
              platform::WaitStatus::kSignaled);
    backend.CloseThread(thread);
    EXPECT_EQ(backend.WaitForThread(thread, 0), platform::WaitStatus::kFailed);
    backend.CloseEvent(go);
}

}  // namespace
