// Fault modes over a real pseudo-terminal: a silent modem, ERROR to everything or to one command,
// delayed and split answers, raw bytes written into the dialogue.

#include <limits>
#include <thread>

#include "simulator_fixture.h"
#include "trace_recorder.h"

namespace {

using namespace std::chrono_literals;
using FaultsTest = SimulatorTest;

TEST_F(FaultsTest, SilentModemHearsAndSaysNothing) {
    m_simulator->SetSilent(true);
    m_client->Send("ATE0\r\nAT+CMGF=1\r\n");
    ASSERT_TRUE(m_simulator->Ring("+1").ok);
    EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(kRingPeriodMs * 2)), "");
    ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
    m_simulator->SetSilent(false);
    // Nothing sent while silent took effect: echo is still on, PDU mode still set.
    RunSteps({{"AT+CMGF?\r\n", "AT+CMGF?\r\r\n+CMGF: 0\r\n\r\nOK\r\n"}});
}

TEST_F(FaultsTest, ErrorToEverythingOrToOneCommand) {
    EchoOff();
    m_simulator->SetErrorAll(true);
    RunSteps({{"AT\r\n", "\r\nERROR\r\n"}, {"AT+CMGF=1\r\n", "\r\nERROR\r\n"}, {"hi\r\n", ""}});
    m_simulator->ClearErrors();
    ASSERT_TRUE(m_simulator->AddErrorCommand("cmgf").ok);
    ASSERT_TRUE(m_simulator->AddErrorCommand("ATD").ok);
    RunSteps({
        {"AT+CMGF=1\r\n", "\r\nERROR\r\n"},
        {"AT+CLIP=1;+CMGF=1\r\n", "\r\nERROR\r\n"},
        {"ATD123;\r\n", "\r\nERROR\r\n"},
        {"AT+CLIP?\r\n", "\r\n+CLIP: 0,1\r\n\r\nOK\r\n"},  // the refused line changed nothing
        {"AT\r\n", "\r\nOK\r\n"},
    });
    ASSERT_TRUE(m_simulator->AddErrorCommand("AT").ok);
    RunSteps({{"AT\r\n", "\r\nERROR\r\n"}, {"AT+CMGF?\r\n", "\r\nERROR\r\n"}});
    m_simulator->ClearErrors();
    RunSteps({{"AT+CMGF=1\r\n", "\r\nOK\r\n"}});
    for (const char* bad : {"", "+", "C MGF", "AT+CMGF=1", "\"x\"", "+CMGX", "V", "ATE0H"}) {
        EXPECT_FALSE(m_simulator->AddErrorCommand(bad).ok) << bad;
    }
    EXPECT_TRUE(m_simulator->Snapshot().faults.errorCommands.empty());
}

TEST_F(FaultsTest, DelayedAnswersKeepOrderAndEchoStaysImmediate) {
    constexpr int kDelayMs = 200;
    ASSERT_TRUE(m_simulator->SetAnswerDelay(kDelayMs).ok);
    const auto sent = ModemClient::Clock::now();
    m_client->Send("AT\r\n");
    EXPECT_EQ(m_client->ReadAtLeast(3, 1s), "AT\r");
    EXPECT_LT(ElapsedMs(sent), kDelayMs - 50);
    EXPECT_EQ(m_client->ReadAtLeast(6, 1s), "\r\nOK\r\n");
    EXPECT_GE(ElapsedMs(sent), kDelayMs - 10);
    EXPECT_LT(ElapsedMs(sent), kDelayMs + 300);
    EXPECT_FALSE(m_simulator->SetAnswerDelay(-1).ok);
    EXPECT_FALSE(m_simulator->SetAnswerDelay(60001).ok);
    EXPECT_EQ(m_simulator->Snapshot().faults.answerDelayMs, kDelayMs);
}

// The pieces and their spacing are measured on the modem's side (trace time stamps): the
// terminal may well get two pieces in one read when it is slow to read.
TEST_F(FaultsTest, SplitAnswersArriveInPiecesWithGaps) {
    constexpr int kGapMs = 80;
    const std::string answer = "\r\n+CMGF: 0\r\n\r\nOK\r\n";  // 18 bytes: 5, 5, 5, 3
    const TraceRecorder trace;
    modemsim::SimulatorOptions options = TestOptions();
    options.traceSink = trace.Sink();
    Start(options);
    EchoOff();
    ASSERT_TRUE(m_simulator->SetSplit(5, kGapMs).ok);
    m_client->Send("AT+CMGF?\r\n");
    EXPECT_EQ(m_client->ReadAtLeast(answer.size(), 2s), answer);
    // What the modem wrote after it last read: the answer to the line just sent.
    const auto pieces = [](const TraceRecorder::Entries& entries) {
        TraceRecorder::Entries written;
        for (const TraceEntry& entry : entries) {
            if (entry.direction == '<') {
                written.clear();
            } else if (entry.direction == '>') {
                written.push_back(entry);
            }
        }
        return written;
    };
    const TraceRecorder::Entries written = pieces(trace.WaitFor(
        [&](const TraceRecorder::Entries& entries) { return pieces(entries).size() >= 4; }));
    ASSERT_EQ(written.size(), 4u);
    std::string joined;
    for (std::size_t i = 0; i < written.size(); ++i) {
        joined += written[i].bytes;
        EXPECT_LE(written[i].bytes.size(), 5u);
        if (i > 0) {
            const double gapMs = (written[i].seconds - written[i - 1].seconds) * 1000;
            EXPECT_GT(gapMs, kGapMs - 40) << i;
            EXPECT_LT(gapMs, kGapMs + 150) << i;
        }
    }
    EXPECT_EQ(joined, answer);
    ASSERT_TRUE(m_simulator->SetSplit(0, 0).ok);
    RunSteps({{"AT\r\n", "\r\nOK\r\n"}});
    EXPECT_FALSE(m_simulator->SetSplit(5000, 10).ok);
}

TEST_F(FaultsTest, InjectedBytesArriveVerbatimAndInOrder) {
    const std::string raw = std::string("\0\xFF\r\nRI", 6) + std::string(2000, 'G') + "\r\n";
    m_simulator->SetSilent(true);
    m_simulator->InjectRaw(raw);
    EXPECT_EQ(m_client->ReadAtLeast(raw.size(), 1s), raw);
    m_simulator->SetSilent(false);
    EchoOff();
    ASSERT_TRUE(m_simulator->SetAnswerDelay(400).ok);
    m_client->Send("AT\r\n");
    std::this_thread::sleep_for(150ms);  // the line is in, its answer still held back
    m_simulator->InjectRaw("X");
    EXPECT_EQ(m_client->ReadAtLeast(7, 1s), "\r\nOK\r\nX");
}

// The library takes any numbers: out of range they are brought into range, so a ring period of
// 0 cannot make the timer spin and a negative network delay answers at once.
TEST_F(FaultsTest, OutOfRangeTimingsAreBroughtIntoRange) {
    const struct {
        int ringPeriodMs;
        int networkDelayMs;
    } cases[] = {{0, -100}, {-5, std::numeric_limits<int>::min()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ringPeriodMs);
        modemsim::SimulatorOptions options = TestOptions();
        options.ringPeriodMs = c.ringPeriodMs;
        options.networkDelayMs = c.networkDelayMs;
        Start(options);
        EchoOff();
        ASSERT_TRUE(m_simulator->Ring(std::nullopt).ok);
        constexpr int kWindowMs = 300;
        const std::string rings = m_client->ReadFor(std::chrono::milliseconds(kWindowMs));
        ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
        EXPECT_GE(rings.size() / 8, 2u);
        EXPECT_LE(rings.size() / 8,
                  static_cast<std::size_t>(kWindowMs / modemsim::kMinRingPeriodMs + 10));
        m_client->ReadFor(50ms);
        RunSteps({{"AT+CMGF=1\r\n", "\r\nOK\r\n"}, {"AT+CMGS=\"1\"\r", "\r\n> "}});
        const auto sent = ModemClient::Clock::now();
        EXPECT_EQ(m_client->Exchange("x\x1A", "\r\n+CMGS: 1\r\n\r\nOK\r\n"),
                  "\r\n+CMGS: 1\r\n\r\nOK\r\n");
        EXPECT_LT(ElapsedMs(sent), 1000);
    }
}

}  // namespace
