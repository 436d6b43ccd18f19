#pragma once
// A simulator with short timings and a terminal opened on it, for tests where the pseudo-terminal,
// the threads or the timing is the point. A trace recorder listens to every simulator it starts.

#include <gtest/gtest.h>

#include <memory>

#include "modem_client.h"
#include "modemsim/simulator.h"
#include "stopwatch.h"
#include "trace_recorder.h"

inline constexpr int kRingPeriodMs = 150;
inline constexpr int kNetworkDelayMs = 120;

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override { Start(); }

    void Start(int ringPeriodMs = kRingPeriodMs, int networkDelayMs = kNetworkDelayMs) {
        m_client.reset();
        m_simulator.reset();
        m_trace = std::make_unique<TraceRecorder>();
        modemsim::SimulatorOptions options;
        options.ringPeriodMs = ringPeriodMs;
        options.networkDelayMs = networkDelayMs;
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
