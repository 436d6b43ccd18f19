// A modem pulled off the line: the simulator closes its side of the pseudo-terminal, and whoever
// holds the device sees a hang-up at once instead of silence.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "simulator_fixture.h"

namespace {

using namespace std::chrono_literals;

// The device as a program holds it, without the platform layer in between.
class RawDevice {
public:
    explicit RawDevice(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~RawDevice() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    RawDevice(const RawDevice&) = delete;
    RawDevice& operator=(const RawDevice&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // The events poll() reports within the time, 0 when none came.
    short PollIn(int timeoutMs) const {
        pollfd fds{m_fd, POLLIN, 0};
        return ::poll(&fds, 1, timeoutMs) == 1 ? fds.revents : 0;
    }
    ssize_t Read() const {
        char buffer[64];
        return ::read(m_fd, buffer, sizeof buffer);
    }
    ssize_t Write(const std::string& bytes) const {
        return ::write(m_fd, bytes.data(), bytes.size());
    }

private:
    const int m_fd;
};

// A read that fails: end of file, or an I/O error (errno EIO) as a hung-up tty gives.
bool ReadFails(const RawDevice& device) {
    const ssize_t n = device.Read();
    return n == 0 || (n < 0 && errno == EIO);
}

class UnplugTest : public SimulatorTest {
protected:
    void SetUp() override {
        SimulatorTest::SetUp();
        m_client.reset();  // the tests hold the device themselves
    }
};

TEST_F(UnplugTest, HeldDeviceIsHungUpAtOnceAndItsPathGoesAway) {
    RawDevice device(m_simulator->DevicePath());
    ASSERT_TRUE(device.IsOpen());
    ASSERT_GT(device.Write("AT\r\n"), 0);
    ASSERT_NE(device.PollIn(1000) & POLLIN, 0);  // the modem answers while plugged in
    std::this_thread::sleep_for(50ms);
    while (device.Read() > 0) {
    }

    m_simulator->Unplug();
    const auto unplugged = ModemClient::Clock::now();
    EXPECT_NE(device.PollIn(2000) & (POLLHUP | POLLERR), 0);
    EXPECT_LT(ElapsedMs(unplugged), 100);
    // Not once, but every time: a reader that loops on the device gets no data, ever.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(ReadFails(device));
    }
    EXPECT_LT(device.Write("AT\r\n"), 0);
    EXPECT_NE(::access(m_simulator->DevicePath().c_str(), F_OK), 0);
    EXPECT_FALSE(ModemClient(m_simulator->DevicePath()).IsOpen());
}

TEST_F(UnplugTest, ReadBlockedOnTheDeviceWakesAtOnce) {
    RawDevice device(m_simulator->DevicePath());
    ASSERT_TRUE(device.IsOpen());
    short events = 0;
    long long waited = 0;
    std::thread reader([&] {
        const auto start = ModemClient::Clock::now();
        events = device.PollIn(5000);
        waited = ElapsedMs(start);
    });
    std::this_thread::sleep_for(100ms);
    m_simulator->Unplug();
    reader.join();
    EXPECT_NE(events & (POLLHUP | POLLERR), 0);
    EXPECT_LT(waited, 400);
}

TEST_F(UnplugTest, OutputInFlightRingsAndVerbsAfterwardsEndQuietly) {
    RawDevice device(m_simulator->DevicePath());
    ASSERT_TRUE(device.IsOpen());
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
    modemsim::SmsDelivery sms;
    sms.sender = "10086";
    sms.text = "after the plug";
    EXPECT_TRUE(m_simulator->DeliverSms(sms).ok);
    m_simulator->InjectRaw("\r\nRING\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(kRingPeriodMs * 2));
    EXPECT_FALSE(m_simulator->Snapshot().storage.IsFree(1));
    const auto destroying = ModemClient::Clock::now();
    m_simulator.reset();
    EXPECT_LT(ElapsedMs(destroying), 1000);
    // A wanted hang-up is no read failure to report.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
