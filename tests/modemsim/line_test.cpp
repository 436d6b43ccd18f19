// The modem on a real pseudo-terminal, where timing and threads are the point: delayed and split
// answers, the network's delay, the ring period, the controller's output racing the answers, and
// the modem pulled off the line. What the modem answers is tested in session_test.cpp.

#include <algorithm>
#include <cerrno>
#include <functional>
#include <limits>
#include <thread>

#include "simulator_fixture.h"

namespace {

using namespace std::chrono_literals;
using LineTest = SimulatorTest;

constexpr const char* kRing = "\r\nRING\r\n";

// Injected bytes queue behind a held-back answer.
TEST_F(LineTest, DelayedAnswersKeepTheirOrderAndEchoIsImmediate) {
    constexpr int kDelayMs = 300;
    ASSERT_TRUE(m_simulator->SetAnswerDelay(kDelayMs).ok);
    EXPECT_FALSE(m_simulator->SetAnswerDelay(-1).ok);
    const Stopwatch sent;
    m_client->Write("AT\r\n");
    EXPECT_EQ(m_client->ReadAtLeast(3, 1s), "AT\r");
    EXPECT_LT(sent.ElapsedMs(), kDelayMs - 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(kDelayMs / 2));
    m_simulator->InjectRaw("X");
    EXPECT_EQ(m_client->ReadAtLeast(7, 1s), "\r\nOK\r\nX");
    EXPECT_GE(sent.ElapsedMs(), kDelayMs - 10);
    EXPECT_LT(sent.ElapsedMs(), kDelayMs + 300);
}

// Measured on the modem's side (trace time stamps): the terminal may well get two pieces in one
// read when it is slow to read. The trace shows what went out, and nothing once turned off.
TEST_F(LineTest, SplitAnswersGoOutInPiecesWithGaps) {
    constexpr int kGapMs = 80;
    const std::string answer = "\r\n+CMGF: 0\r\n\r\nOK\r\n";  // 18 bytes: 5, 5, 5, 3
    ASSERT_TRUE(m_simulator->SetSplit(5, kGapMs).ok);
    EXPECT_FALSE(m_simulator->SetSplit(5000, 10).ok);
    Expect("AT+CMGF?\r\n", "AT+CMGF?\r" + answer);
    TraceRecorder::Entries written =
        TraceRecorder::Only(m_trace->WaitFor([](const TraceRecorder::Entries& all) {
            return TraceRecorder::Only(all, '>').size() >= 5;
        }),
                            '>');
    ASSERT_EQ(written.size(), 5u);
    written.erase(written.begin());  // the echo, which is never split
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
    // "[   0.004] > \r\n+CM": seconds with milliseconds, the direction and the bytes escaped.
    EXPECT_EQ(written[0].line.substr(0, 1) + written[0].line.substr(9), "[] > \\r\\n+CM");
    ASSERT_TRUE(m_simulator->SetSplit(0, 0).ok);
    const std::size_t traced = m_trace->Now().size();
    m_simulator->EnableTrace(false);
    Expect("AT\r\n", "AT\r\r\nOK\r\n");
    m_simulator.reset();  // the writer has handed over everything it ever will
    EXPECT_EQ(m_trace->Now().size(), traced);
}

// Rings from the timer thread race with answers from the reader thread: every write must stay
// whole and answers keep their order.
TEST_F(LineTest, RingsInterleaveWithAnswersWithoutTearing) {
    Start(5);
    EchoOff();
    ASSERT_TRUE(m_simulator->Ring(std::nullopt).ok);
    constexpr int kCommands = 40;
    std::string answers;
    for (int i = 0; i < kCommands; ++i) {
        m_client->Write(i % 2 == 0 ? "AT\r\n" : "AT+CMGF?\r\n");
        answers += i % 2 == 0 ? "\r\nOK\r\n" : "\r\n+CMGF: 0\r\n\r\nOK\r\n";
    }
    std::string received = m_client->ReadFor(400ms);
    m_client->Write("ATH\r\n");
    received += m_client->ReadFor(200ms);
    ASSERT_GE(received.size(), 6u);
    EXPECT_EQ(received.substr(received.size() - 6), "\r\nOK\r\n");  // no ring after hanging up
    std::size_t rings = 0;
    for (std::size_t pos = received.find(kRing); pos != std::string::npos;
         pos = received.find(kRing)) {
        received.erase(pos, 8);
        ++rings;
    }
    EXPECT_GT(rings, 5u);
    EXPECT_EQ(received, answers + "\r\nOK\r\n");
}

// The controller's verbs write to the line as the model says: a report only on a change, no ring
// once answered, NO CARRIER when the other side hangs up, nothing at all while silent.
TEST_F(LineTest, ControllerOutputFollowsTheModel) {
    EchoOff();
    ASSERT_TRUE(m_simulator->SetRegistration(2).ok);  // reports off
    Expect("AT+CREG=2\r\n", "\r\nOK\r\n");
    ASSERT_TRUE(m_simulator->SetRegistration(2).ok);  // no change
    ASSERT_TRUE(m_simulator->SetRegistration(5).ok);
    EXPECT_EQ(m_client->ReadFor(80ms), "\r\n+CREG: 5,\"00A1\",\"1B2C\"\r\n");
    ASSERT_TRUE(m_simulator->SetRegistration(3).ok);  // location only while registered
    EXPECT_EQ(m_client->ReadAtLeast(11, 500ms), "\r\n+CREG: 3\r\n");
    EXPECT_FALSE(m_simulator->SetRegistration(6).ok);

    EXPECT_FALSE(m_simulator->RemoteHangUp().ok);
    ASSERT_TRUE(m_simulator->Ring(std::nullopt).ok);
    EXPECT_FALSE(m_simulator->Ring("+1").ok);  // one call at a time
    EXPECT_EQ(m_client->ReadAtLeast(8, 500ms), kRing);
    Expect("ATA\r\n", "\r\nOK\r\n");
    EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(kRingPeriodMs * 2)), "");
    ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
    EXPECT_EQ(m_client->ReadAtLeast(14, 500ms), "\r\nNO CARRIER\r\n");

    m_simulator->SetSilent(true);
    ASSERT_TRUE(m_simulator->Ring("+1").ok);
    EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(kRingPeriodMs * 2)), "");
    ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
    EXPECT_EQ(m_client->ReadFor(50ms), "");
}

// The modem's writes as its trace shows them: what a family says of a hang-up comes a moment
// after the OK, a dial's failure in the dial's own write, and with reports cut each report on its
// own in two (an answer's burst stays whole).
TEST_F(LineTest, CallReportsAndTheWritesTheyTake) {
    using modemsim::Simulator;
    const auto dial = [](Simulator&, ModemClient& c) { c.Exchange("ATD1;\r", "\r\nOK\r\n"); };
    const struct {
        const char* profile;
        std::size_t cut;
        std::function<void(Simulator&, ModemClient&)> act;
        std::vector<std::string> writes;
    } rows[] = {
        {"huawei",
         0,
         [&](Simulator& s, ModemClient& c) { dial(s, c), c.Write("ATH\r"); },
         {"\r\nOK\r\n\r\n^ORIG: 1,0\r\n\r\n^CONF: 1\r\n", "\r\nOK\r\n",
          "\r\n^CEND: 1,0,104,16\r\n"}},
        {"huawei",
         5,
         [&](Simulator& s, ModemClient& c) {
             s.FailNextDial(modemsim::DialFailure::kBusy);
             dial(s, c);
             s.Ring(std::nullopt);
         },
         {"\r\nOK\r\n\r\n^CEND: 1,0,104,17\r\n", "\r\nRIN", "G\r\n"}},
        {"simcom",
         0,
         [&](Simulator& s, ModemClient& c) {
             dial(s, c);
             s.RemoteAnswer();
             s.RemoteHangUp();
         },
         {"\r\nOK\r\n", "\r\nVOICE CALL: BEGIN\r\n",
          "\r\nVOICE CALL: END: 000000\r\n\r\nNO CARRIER\r\n"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.profile + std::to_string(row.cut));
        Start();
        EchoOff();
        ASSERT_TRUE(m_simulator->SetCallProfile(row.profile).ok);
        ASSERT_TRUE(m_simulator->SetCutReports(row.cut).ok);
        // ATE0's echo and OK, once the trace has them.
        const std::size_t before = TraceRecorder::Only(m_trace->WaitFor([](const auto& all) {
                                       return TraceRecorder::Only(all, '>').size() >= 2;
                                   }),
                                                       '>')
                                       .size();
        row.act(*m_simulator, *m_client);
        const TraceRecorder::Entries written =
            TraceRecorder::Only(m_trace->WaitFor([&](const TraceRecorder::Entries& all) {
                return TraceRecorder::Only(all, '>').size() >= before + row.writes.size();
            }),
                                '>');
        ASSERT_GE(written.size(), before + row.writes.size());
        for (std::size_t i = 0; i < row.writes.size(); ++i) {
            EXPECT_EQ(written[before + i].bytes, row.writes[i]) << i;
        }
        const double gapMs = (written[before + 2].seconds - written[before + 1].seconds) * 1000;
        const bool late = row.profile == std::string("huawei") && row.cut == 0;
        EXPECT_GE(gapMs, late ? 250 : row.cut > 0 ? modemsim::kCutGapMs - 10 : 0);
    }
    EXPECT_FALSE(m_simulator->SetCutReports(modemsim::kMaxSplitBytes + 1).ok);
}

// Rings come at the period, a message's result after the network's delay; out of range both are
// brought into range, so a period of 0 cannot make the timer spin.
TEST_F(LineTest, RingPeriodAndNetworkDelayAreKeptInRange) {
    for (const auto& [ringPeriodMs, networkDelayMs] :
         {std::pair{kRingPeriodMs, kNetworkDelayMs}, std::pair{0, -100},
          std::pair{-5, std::numeric_limits<int>::min()}}) {
        SCOPED_TRACE(ringPeriodMs);
        Start(ringPeriodMs, networkDelayMs);
        EchoOff();
        ASSERT_TRUE(m_simulator->Ring(std::nullopt).ok);
        // Bounded by how long the read really lasted: on a loaded machine it ends late.
        const Stopwatch window;
        const std::size_t rings = m_client->ReadFor(400ms).size() / 8;
        const long long windowMs = window.ElapsedMs();
        ASSERT_TRUE(m_simulator->RemoteHangUp().ok);
        EXPECT_GE(rings, 2);
        EXPECT_LE(rings, windowMs / std::max(ringPeriodMs, modemsim::kMinRingPeriodMs) + 2);
        m_client->ReadFor(50ms);
        Expect("AT+CMGF=1;+CMGS=\"1\"\r", "\r\n> ");
        const Stopwatch sent;
        Expect("x\x1A", "\r\n+CMGS: 1\r\n\r\nOK\r\n");
        EXPECT_GE(sent.ElapsedMs(), std::max(networkDelayMs, 0) - 10);
        EXPECT_LT(sent.ElapsedMs(), std::max(networkDelayMs, 0) + 400);
    }
}

// Unplugged, whoever holds the device sees the hang-up at once, a read blocked on it included, and
// every time after: a reader that loops on the device gets no data, ever. The path goes away.
TEST_F(LineTest, UnpluggedHeldDeviceIsHungUpAtOnceAndForGood) {
    ModemClient& device = *m_client;
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

TEST_F(LineTest, UnpluggedOutputInFlightRingsAndVerbsAfterwardsEndQuietly) {
    // The modem is in the middle of a long write (the terminal reads nothing) and rings.
    m_simulator->InjectRaw(std::string(256 * 1024, 'x'));
    ASSERT_TRUE(m_simulator->Ring(std::string("+8613912345678")).ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(kRingPeriodMs));
    testing::internal::CaptureStderr();
    m_simulator->Unplug();
    m_simulator->Unplug();  // twice is once
    // The model still takes the verbs; nothing reaches the line and nothing fails.
    EXPECT_TRUE(m_simulator->RemoteHangUp().ok);
    EXPECT_TRUE(m_simulator->Ring(std::nullopt).ok);
    m_simulator->InjectRaw("\r\nRING\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(kRingPeriodMs * 2));
    const Stopwatch destroying;
    m_simulator.reset();
    EXPECT_LT(destroying.ElapsedMs(), 1000);
    // A wanted hang-up is no read failure to report.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

void FillTo(modemsim::Simulator& simulator, int used) {
    while (simulator.Snapshot().storage.Used() < used) {
        ASSERT_TRUE(simulator.DeliverSms({"1", "filler", std::nullopt, std::nullopt}).ok);
    }
}

std::string Cmti(int slot) {
    return "\r\n+CMTI: \"SM\"," + std::to_string(slot) + "\r\n";
}

modemsim::SmsDelivery Long(std::size_t length, const char* sender = "10086") {
    return {sender, std::string(length, 'x'), std::nullopt, std::nullopt};
}

// Parts that arrive at once all find room or none is stored; each part stored is announced once
// AT+CNMI asks; a part that comes later and finds no room is lost, as the trace says.
TEST_F(LineTest, LongTextsLandWholeOrNotAtAllAndAreAnnounced) {
    EchoOff();
    ASSERT_TRUE(m_simulator->DeliverSms(Long(400)).ok);  // slots 1-3, unannounced
    EXPECT_EQ(m_client->ReadFor(50ms), "");
    Expect("AT+CNMI=2,1\r\n", "\r\nOK\r\n");
    ASSERT_TRUE(m_simulator->ClearSlot(2).ok);
    ASSERT_TRUE(m_simulator->DeliverParts(Long(500, "10010"), {true, 2, 0}).ok);
    EXPECT_EQ(m_client->ReadAtLeast(3 * Cmti(2).size(), 1s), Cmti(2) + Cmti(4) + Cmti(5));
    std::string parts;  // slot:reference:part/total
    for (const auto& [slot, sms] : m_simulator->Snapshot().storage.Occupied()) {
        parts += std::to_string(slot) + ":" + std::to_string(sms.part->reference) + ":" +
                 std::to_string(sms.part->sequence) + "/" + std::to_string(sms.part->total) + " ";
    }
    EXPECT_EQ(parts, "1:1:1/3 2:2:4/4 3:1:3/3 4:2:3/4 5:2:1/4 ");
    Expect("AT+CNMI=0,0\r\n", "\r\nOK\r\n");
    FillTo(*m_simulator, 19);
    EXPECT_FALSE(m_simulator->DeliverSms(Long(200)).ok);
    Expect("AT+CPMS?\r\n", "\r\n+CPMS: \"SM\",19,20,\"SM\",19,20,\"SM\",19,20\r\n\r\nOK\r\n");
    ASSERT_TRUE(m_simulator->DeliverParts(Long(200), {false, std::nullopt, 50}).ok);
    m_trace->WaitFor([](const TraceRecorder::Entries& all) {
        return std::any_of(all.begin(), all.end(), [](const TraceEntry& entry) {
            return entry.line.find("! part 2/2 ref 3 lost: the storage is full") !=
                   std::string::npos;
        });
    });
    modemsim::ModemState state = m_simulator->Snapshot();
    EXPECT_EQ(state.storage.Used(), 20);
    EXPECT_EQ(state.storage.Find(20)->part->sequence, 1);
}

// A burst comes gap apart, the first at once; the one that finds no room is lost.
TEST_F(LineTest, BurstComesGapApart) {
    constexpr int kGapMs = 150;
    EchoOff();
    FillTo(*m_simulator, 18);
    Expect("AT+CNMI=1,1\r\n", "\r\nOK\r\n");
    EXPECT_FALSE(m_simulator->DeliverBurst(modemsim::kMaxBurst + 1, 0, "10086").ok);
    const Stopwatch started;
    ASSERT_TRUE(m_simulator->DeliverBurst(3, kGapMs, "10086").ok);
    EXPECT_EQ(m_client->ReadAtLeast(Cmti(19).size(), 1s), Cmti(19));
    EXPECT_LT(started.ElapsedMs(), kGapMs / 2);
    EXPECT_EQ(m_client->ReadAtLeast(Cmti(20).size(), 1s), Cmti(20));
    EXPECT_GE(started.ElapsedMs(), kGapMs - 10);
    EXPECT_LT(started.ElapsedMs(), kGapMs + 150);
    EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(kGapMs * 2)), "");  // the third is lost
    EXPECT_EQ(m_simulator->Snapshot().storage.Find(20)->text, "message 2 of 3");
}

// The chatty module's line comes at its period, ahead of an answer held back but never inside one
// that goes out in pieces.
TEST_F(LineTest, PeriodicLineComesBetweenAnswersNeverInside) {
    constexpr int kPeriodMs = 40;
    constexpr int kWindowMs = 600;
    const std::string line = "\r\n^RSSI: 17\r\n";
    const std::string answer = "\r\n+CMGF: 0\r\n\r\nOK\r\n";
    EchoOff();
    EXPECT_FALSE(m_simulator->SetPeriodicLine("two\r\nlines", kPeriodMs).ok);
    ASSERT_TRUE(m_simulator->SetPeriodicLine("^RSSI: 17", kPeriodMs).ok);
    ASSERT_TRUE(m_simulator->SetAnswerDelay(200).ok);
    ASSERT_TRUE(m_simulator->SetSplit(4, 25).ok);
    m_client->Write("AT+CMGF?\r\n");
    const std::string received = m_client->ReadFor(std::chrono::milliseconds(kWindowMs));
    EXPECT_EQ(received.substr(0, line.size()), line);  // ahead of the held-back answer
    const std::size_t at = received.find(answer);
    ASSERT_NE(at, std::string::npos) << received;
    const std::string lines = received.substr(0, at) + received.substr(at + answer.size());
    std::size_t count = 0;  // whole lines, and nothing else
    while (lines.compare(count * line.size(), line.size(), line) == 0) {
        ++count;
    }
    EXPECT_EQ(count * line.size(), lines.size()) << lines;
    EXPECT_GE(count, static_cast<std::size_t>(kWindowMs / kPeriodMs / 2));
    EXPECT_LE(count, static_cast<std::size_t>(kWindowMs / kPeriodMs + 1));
    ASSERT_TRUE(m_simulator->SetPeriodicLine({}, 0).ok);
    m_client->ReadFor(50ms);
    EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(kPeriodMs * 3)), "");
}

// Routed, a message comes as +CMT and is not stored. Under AT+CSMS=1 one left unacknowledged
// comes once more after the network's wait, and no third time; one acknowledged never again.
TEST_F(LineTest, RoutedMessagesComeAsCmtAndUnacknowledgedOnesOnceMore) {
    Start(kRingPeriodMs, kNetworkDelayMs, modemsim::SmsProfile::kRouted);
    EchoOff();
    Expect("AT+CMGF=1\r", "\r\nOK\r\n");
    const modemsim::SmsDelivery hello{"+39", "hi", std::nullopt, "24/05/01,12:30:00+00"};
    const std::string cmt = "\r\n+CMT: \"+39\",,\"24/05/01,12:30:00+00\"\r\nhi\r\n";
    ASSERT_TRUE(m_simulator->DeliverSms(hello).ok);
    EXPECT_EQ(m_client->ReadAtLeast(cmt.size(), 1s), cmt);
    EXPECT_FALSE(m_simulator->DeliverSms({"+39", "hi", 1, std::nullopt}).ok);
    EXPECT_EQ(m_simulator->Snapshot().storage.Used(), 0);
    Expect("AT+CSMS=1\r", "\r\n+CSMS: 1,1,1\r\n\r\nOK\r\n");
    const Stopwatch delivered;
    ASSERT_TRUE(m_simulator->DeliverSms(hello).ok);
    EXPECT_EQ(m_client->ReadAtLeast(cmt.size(), 1s), cmt);
    EXPECT_EQ(m_client->ReadAtLeast(cmt.size(), 1s), cmt);
    EXPECT_GE(delivered.ElapsedMs(), kRedeliveryMs - 10);
    EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(kRedeliveryMs * 2)), "");
    ASSERT_TRUE(m_simulator->DeliverSms(hello).ok);
    EXPECT_EQ(m_client->ReadAtLeast(cmt.size(), 1s), cmt);
    Expect("AT+CNMA\r", "\r\nOK\r\n");
    EXPECT_EQ(m_client->ReadFor(std::chrono::milliseconds(kRedeliveryMs * 2)), "");
}

// The prompt comes after a program has given up waiting 2 s for it; the ESC it sent then
// cancels the message, and the modem takes commands again.
TEST_F(LineTest, LatePromptThenEscLeavesTheModemTakingCommands) {
    Start(kRingPeriodMs, kNetworkDelayMs, modemsim::SmsProfile::kLatePrompt);
    EchoOff();
    Expect("AT+CMGF=1\r", "\r\nOK\r\n");
    const Stopwatch sent;
    m_client->Write("AT+CMGS=\"1\"\r");
    EXPECT_EQ(m_client->ReadFor(2000ms), "");
    m_client->Write("\x1B");
    EXPECT_EQ(m_client->ReadAtLeast(10, 2s), "\r\n> \r\nOK\r\n");
    EXPECT_GE(sent.ElapsedMs(), 3000 - 10);
    Expect("AT\r", "\r\nOK\r\n");
    EXPECT_TRUE(m_simulator->Snapshot().outbox.empty());
}

}  // namespace
