// A modem pulled off the line: the simulator closes its side of the pseudo-terminal, and whoever
// holds the device sees a hang-up at once instead of silence.

#include <cerrno>
#include <thread>

#include "simulator_fixture.h"

namespace {

using namespace std::chrono_literals;

class UnplugTest : public SimulatorTest {
protected:
    void SetUp() override {
        SimulatorTest::SetUp();
        m_client.reset();  // the tests hold the device themselves
    }
};

// Whoever holds the device sees the hang-up at once, a read blocked on it included, and every time
// after: a reader that loops on the device gets no data, ever. The path goes away.
TEST_F(UnplugTest, HeldDeviceIsHungUpAtOnceAndForGood) {
    ModemClient device(m_simulator->DevicePath());
    ASSERT_EQ(device.Exchange("AT\r\n", "AT\r\r\nOK\r\n"), "AT\r\r\nOK\r\n");
    short events = 0;
    long long waited = 0;
    std::thread reader([&] {
        const Stopwatch watch;
        events = device.Poll(5000);
        waited = watch.ElapsedMs();
    });
    std::this_thread::sleep_for(100ms);
    m_simulator->Unplug();
    reader.join();
    EXPECT_NE(events & (POLLHUP | POLLERR), 0);
    EXPECT_LT(waited, 400);
    for (int i = 0; i < 3; ++i) {
        const ssize_t n = device.Read();  // end of file, or EIO as a hung-up tty gives
        EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n;
    }
    EXPECT_LT(device.Write("AT\r\n"), 0);
    EXPECT_FALSE(ModemClient(m_simulator->DevicePath()).IsOpen());
}

TEST_F(UnplugTest, OutputInFlightRingsAndVerbsAfterwardsEndQuietly) {
    ModemClient device(m_simulator->DevicePath());
    // The modem is in the middle of a long write (nobody reads it) and rings every period.
    m_simulator->InjectRaw(std::string(256 * 1024, 'x'));
    ASSERT_TRUE(m_simulator->Ring(std::string("+8613912345678")).ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(kRingPeriodMs));
    testing::internal::CaptureStderr();
    m_simulator->Unplug();
    m_simulator->Unplug();  // twice is once
    // The model still takes the verbs; nothing reaches the line and nothing fails.
    EXPECT_TRUE(m_simulator->RemoteHangUp().ok);
    EXPECT_TRUE(m_simulator->Ring(std::nullopt).ok);
    EXPECT_TRUE(m_simulator->DeliverSms({"10086", "after the plug", {}, {}}).ok);
    m_simulator->InjectRaw("\r\nRING\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(kRingPeriodMs * 2));
    EXPECT_FALSE(m_simulator->Snapshot().storage.IsFree(1));
    const Stopwatch destroying;
    m_simulator.reset();
    EXPECT_LT(destroying.ElapsedMs(), 1000);
    // A wanted hang-up is no read failure to report.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
