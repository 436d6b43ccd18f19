// Voice calls over a real pseudo-terminal: RING cadence with and without caller identification,
// answering, hanging up on either side, dialling.

#include "simulator_fixture.h"
#include "trace_recorder.h"

namespace {

using namespace std::chrono_literals;
using CallTest = SimulatorTest;

constexpr const char* kRing = "\r\nRING\r\n";
constexpr const char* kNoCarrier = "\r\nNO CARRIER\r\n";

// Measured on the modem's side (trace time stamps), so a slow reader cannot blur the cadence.
// Each ring is planned from the one before, so lateness must not add up over the rings.
TEST_F(CallTest, RingsAtTheCadenceUntilHungUp) {
    constexpr std::size_t kRings = 4;
    const TraceRecorder trace;
    modemsim::SimulatorOptions options = TestOptions();
    options.traceSink = trace.Sink();
    Start(options);
    EchoOff();
    ASSERT_TRUE(m_simulator->Ring("+39333").ok);
    const auto rings = [](const TraceRecorder::Entries& entries) {
        TraceRecorder::Entries found;
        for (const TraceEntry& entry : TraceRecorder::Only(entries, '>')) {
            if (entry.bytes == kRing) {
                found.push_back(entry);
            }
        }
        return found;
    };
    const TraceRecorder::Entries written = rings(trace.WaitFor(
        [&](const TraceRecorder::Entries& entries) { return rings(entries).size() >= kRings; }));
    ASSERT_GE(written.size(), kRings);
    for (std::size_t i = 1; i < kRings; ++i) {
        const double gapMs = (written[i].seconds - written[i - 1].seconds) * 1000;
        EXPECT_GT(gapMs, kRingPeriodMs - 75) << i;
        EXPECT_LT(gapMs, kRingPeriodMs + 150) << i;
    }
    const double spanMs = (written[kRings - 1].seconds - written[0].seconds) * 1000;
    EXPECT_GT(spanMs, (kRings - 1) * kRingPeriodMs - 75);
    EXPECT_LT(spanMs, (kRings - 1) * kRingPeriodMs + 150);
    // The terminal got every ring whole, then the answer to ATH, and nothing after it.
    m_client->Send("ATH\r\n");
    std::string received = m_client->ReadFor(std::chrono::milliseconds(kRingPeriodMs * 2));
    ASSERT_GE(received.size(), 6u);
    EXPECT_EQ(received.substr(received.size() - 6), "\r\nOK\r\n");
    received.resize(received.size() - 6);
    EXPECT_GE(received.size(), std::string(kRing).size() * kRings);
    for (std::size_t pos = 0; pos < received.size(); pos += 8) {
        EXPECT_EQ(received.substr(pos, 8), kRing) << pos;
    }
    EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(kRingPeriodMs * 2)), "");
    EXPECT_EQ(m_simulator->Snapshot().call.phase, modemsim::CallPhase::kIdle);
}

TEST_F(CallTest, CallerIdentificationFollowsEachRing) {
    struct Case {
        bool clip;
        std::optional<std::string> number;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {true, "+393351391306", "\r\nRING\r\n\r\n+CLIP: \"+393351391306\",145,,,,0\r\n"},
        {true, "0612345", "\r\nRING\r\n\r\n+CLIP: \"0612345\",129,,,,0\r\n"},
        {true, std::nullopt, kRing},
        {false, "+393351391306", kRing},
    };
    EchoOff();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number.value_or("withheld") + (c.clip ? " with CLIP" : " without CLIP"));
        RunSteps({{c.clip ? "AT+CLIP=1\r\n" : "AT+CLIP=0\r\n", "\r\nOK\r\n"}});
        ASSERT_TRUE(m_simulator->Ring(c.number).ok);
        EXPECT_EQ(m_client->ReadAtLeast(c.expected.size(), 500ms), c.expected);
        EXPECT_EQ(m_client->ReadAtLeast(c.expected.size(), 500ms), c.expected);  // the next ring
        RunSteps({{"AT+CHUP\r\n", "\r\nOK\r\n"}});
    }
}

TEST_F(CallTest, AnswerThenRemoteHangUp) {
    EchoOff();
    RunSteps({{"ATA\r\n", kNoCarrier}});
    EXPECT_FALSE(m_simulator->RemoteHangUp().ok);
    ASSERT_TRUE(m_simulator->Ring(std::nullopt).ok);
    EXPECT_FALSE(m_simulator->Ring("+1").ok);  // one call at a time
    EXPECT_EQ(m_client->ReadAtLeast(8, 500ms), kRing);
    RunSteps({{"ATA\r\n", "\r\nOK\r\n"}});
    EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(kRingPeriodMs * 2)), "");
    EXPECT_EQ(m_simulator->Snapshot().call.phase, modemsim::CallPhase::kActive);
    ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
    EXPECT_EQ(m_client->ReadAtLeast(14, 500ms), kNoCarrier);
    RunSteps({{"ATA\r\n", kNoCarrier}});
}

TEST_F(CallTest, DialVoiceOnly) {
    EchoOff();
    RunSteps({
        {"ATD123\r\n", kNoCarrier},  // a data call
        {"ATD;\r\n", "\r\nERROR\r\n"},
        {"ATDx1;\r\n", "\r\nERROR\r\n"},
        {"ATD+39 02 1234;\r\n", "\r\nOK\r\n"},
        {"ATD456;\r\n", "\r\nERROR\r\n"},  // already in a call
    });
    EXPECT_EQ(m_simulator->Snapshot().call.number, "+39021234");
    EXPECT_FALSE(m_simulator->Ring("+1").ok);
    ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
    EXPECT_EQ(m_client->ReadAtLeast(14, 500ms), kNoCarrier);
    RunSteps(
        {{"ATD456;\r\n", "\r\nOK\r\n"}, {"ATH0\r\n", "\r\nOK\r\n"}, {"ATH\r\n", "\r\nOK\r\n"}});
}

// Rings from the timer thread race with answers from the reader thread: every write must stay
// whole and answers keep their order.
TEST_F(CallTest, RingsInterleaveWithAnswersWithoutTearing) {
    modemsim::SimulatorOptions options = TestOptions();
    options.ringPeriodMs = 5;
    Start(options);
    EchoOff();
    ASSERT_TRUE(m_simulator->Ring(std::nullopt).ok);
    constexpr int kCommands = 40;
    for (int i = 0; i < kCommands; ++i) {
        m_client->Send(i % 2 == 0 ? "AT\r\n" : "AT+CMGF?\r\n");
    }
    std::string received = m_client->ReadFor(400ms);
    m_client->Send("ATH\r\n");
    received += m_client->ReadFor(200ms);
    ASSERT_GE(received.size(), 6u);
    EXPECT_EQ(received.substr(received.size() - 6), "\r\nOK\r\n");  // no ring after hanging up
    std::string answers;
    std::size_t rings = 0;
    for (std::size_t pos = received.find(kRing); pos != std::string::npos;
         pos = received.find(kRing)) {
        received.erase(pos, 8);
        ++rings;
    }
    for (int i = 0; i < kCommands; ++i) {
        answers += i % 2 == 0 ? "\r\nOK\r\n" : "\r\n+CMGF: 0\r\n\r\nOK\r\n";
    }
    EXPECT_GT(rings, 5u);
    EXPECT_EQ(received, answers + "\r\nOK\r\n");
}

}  // namespace
