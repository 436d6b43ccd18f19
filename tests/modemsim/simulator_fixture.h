#pragma once
// The terminal side of a simulator's pseudo-terminal, held as a program holds its device, waiting
// in poll() for exact bytes, silence or a hang-up; and a fixture with a simulator on short timings,
// a client on its device and a recorder on its trace, for tests where the line is the point.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "modemsim/simulator.h"
#include "stopwatch.h"
#include "trace_recorder.h"

class ModemClient {
public:
    using Clock = std::chrono::steady_clock;

    explicit ModemClient(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~ModemClient() { ::close(m_fd); }
    ModemClient(const ModemClient&) = delete;
    ModemClient& operator=(const ModemClient&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    ssize_t Write(std::string_view bytes) const {
        return ::write(m_fd, bytes.data(), bytes.size());
    }
    // One read of what is there: -1 with errno when nothing is, 0 at end of file.
    ssize_t Read() const {
        char buffer[4096];
        return ::read(m_fd, buffer, sizeof buffer);
    }
    // The events poll() reports within the time, 0 when none came.
    short Poll(int timeoutMs) const {
        pollfd fds{m_fd, POLLIN, 0};
        return ::poll(&fds, 1, timeoutMs) == 1 ? fds.revents : 0;
    }

    // What came until at least `count` bytes are in or `limit` has passed.
    std::string ReadAtLeast(std::size_t count, std::chrono::milliseconds limit) const {
        const Clock::time_point deadline = Clock::now() + limit;
        std::string bytes;
        for (auto left = limit; bytes.size() < count && left.count() > 0;
             left =
                 std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())) {
            char buffer[4096];
            const ssize_t n = (Poll(static_cast<int>(left.count())) & POLLIN) != 0
                                  ? ::read(m_fd, buffer, sizeof buffer)
                                  : 0;
            bytes.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        }
        return bytes;
    }
    std::string ReadFor(std::chrono::milliseconds window) const {
        return ReadAtLeast(std::string::npos, window);
    }
    // Sends and returns as many bytes as the expected answer has (or fewer on time-out).
    std::string Exchange(std::string_view send, std::string_view expected,
                         std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) const {
        Write(send);
        return ReadAtLeast(expected.size(), limit);
    }

private:
    const int m_fd;
};

inline constexpr int kRingPeriodMs = 150;
inline constexpr int kNetworkDelayMs = 120;
inline constexpr int kRedeliveryMs = 200;

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override { Start(); }

    void Start(int ringPeriodMs = kRingPeriodMs, int networkDelayMs = kNetworkDelayMs,
               modemsim::SmsProfile smsProfile = modemsim::SmsProfile::kStandard) {
        m_client.reset();
        m_simulator.reset();
        m_trace = std::make_unique<TraceRecorder>();
        modemsim::SimulatorOptions options;
        options.ringPeriodMs = ringPeriodMs;
        options.networkDelayMs = networkDelayMs;
        options.smsProfile = smsProfile;
        options.redeliveryMs = kRedeliveryMs;
        options.traceSink = m_trace->Sink();
        m_simulator = modemsim::Simulator::Create(std::move(options));
        ASSERT_NE(m_simulator, nullptr);
        m_client = std::make_unique<ModemClient>(m_simulator->DevicePath());
        ASSERT_TRUE(m_client->IsOpen());
    }

    // The answer, byte for byte.
    void Expect(std::string_view send, std::string_view answer) {
        EXPECT_EQ(m_client->Exchange(send, answer), answer) << "sent: " << send;
    }
    void EchoOff() { Expect("ATE0\r\n", "ATE0\r\r\nOK\r\n"); }

    std::unique_ptr<TraceRecorder> m_trace;
    std::unique_ptr<modemsim::Simulator> m_simulator;
    std::unique_ptr<ModemClient> m_client;
};
