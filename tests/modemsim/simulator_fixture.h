#pragma once
// A simulator with short timings and a terminal opened on it, for tests over a real pty.

#include <gtest/gtest.h>

#include <memory>

#include "modem_client.h"
#include "modemsim/simulator.h"

inline constexpr int kRingPeriodMs = 150;
inline constexpr int kNetworkDelayMs = 120;

inline long long ElapsedMs(ModemClient::Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(ModemClient::Clock::now() - since)
        .count();
}

struct Step {
    const char* send;
    const char* expected;
};

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override { Start(TestOptions()); }

    static modemsim::SimulatorOptions TestOptions() {
        modemsim::SimulatorOptions options;
        options.ringPeriodMs = kRingPeriodMs;
        options.networkDelayMs = kNetworkDelayMs;
        return options;
    }

    void Start(modemsim::SimulatorOptions options) {
        m_client.reset();
        m_simulator.reset();
        m_simulator = modemsim::Simulator::Create(std::move(options));
        ASSERT_NE(m_simulator, nullptr);
        m_client = std::make_unique<ModemClient>(m_simulator->DevicePath());
        ASSERT_TRUE(m_client->IsOpen());
    }

    // Each step's answer, byte for byte, and nothing more after the last one.
    void RunSteps(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            SCOPED_TRACE(testing::Message() << "sent: " << step.send);
            EXPECT_EQ(m_client->Exchange(step.send, step.expected), step.expected);
        }
        EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(60)), "");
    }

    void EchoOff() {
        ASSERT_EQ(m_client->Exchange("ATE0\r\n", "ATE0\r\r\nOK\r\n"), "ATE0\r\r\nOK\r\n");
    }

    std::unique_ptr<modemsim::Simulator> m_simulator;
    std::unique_ptr<ModemClient> m_client;
};
