// The modem pulled off the bus and plugged in again under the same link: the hang-up, the fresh
// line and the power-on state behind it, the storage kept, output for the old line never reaching
// the new one, the timed replug and what may cancel it. A reset on the same line, and the boot
// delay that follows each power-on. Twenty cycles under a program leave
// nothing behind: tests/quillet/sms_window_unplug_test.cpp.

#include <sys/stat.h>

#include <cerrno>
#include <thread>

#include "simulator_fixture.h"

namespace {

using namespace std::chrono_literals;

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The device behind the link, opened as soon as it is there.
std::unique_ptr<ModemClient> OpenWithin(const std::string& link, long long limitMs) {
    const Stopwatch watch;
    auto client = std::make_unique<ModemClient>(link);
    while (!client->IsOpen() && watch.ElapsedMs() < limitMs) {
        std::this_thread::sleep_for(2ms);
        client = std::make_unique<ModemClient>(link);
    }
    return client;
}

class ReplugTest : public ::testing::Test {
protected:
    void SetUp() override {
        char directory[] = "/tmp/replug_test.XXXXXX";
        ASSERT_NE(::mkdtemp(directory), nullptr);
        m_directory = directory;
        m_link = m_directory + "/modem";
        modemsim::SimulatorOptions options;
        options.linkPath = m_link;
        options.networkDelayMs = kNetworkDelayMs;
        options.traceSink = m_trace.Sink();
        m_simulator = modemsim::Simulator::Create(std::move(options));
        ASSERT_NE(m_simulator, nullptr);
    }
    void TearDown() override {
        m_simulator.reset();
        EXPECT_FALSE(Exists(m_link));
        ::rmdir(m_directory.c_str());
    }

    std::string m_directory;
    std::string m_link;
    TraceRecorder m_trace;
    std::unique_ptr<modemsim::Simulator> m_simulator;
};

TEST_F(ReplugTest, UnplugHangsUpAndReplugComesBackAtPowerOnWithTheStorageKept) {
    ASSERT_TRUE(m_simulator->DeliverSms({"+39111", "kept", 1, std::nullopt}).ok);
    auto old = std::make_unique<ModemClient>(m_link);
    ASSERT_TRUE(old->IsOpen());
    const std::string settings = "ATE0;+CMGF=1;+CSCS=\"IRA\";+CNMI=2,1;+CLIP=1;+CREG=2\r";
    ASSERT_EQ(old->Exchange(settings, settings + "\r\nOK\r\n"), settings + "\r\nOK\r\n");
    ASSERT_TRUE(m_simulator->Ring(std::string("10086")).ok);
    old->ReadFor(100ms);
    // Answers held back for the old line must not come out on the new one, nor the half-typed
    // text swallow the first command there.
    ASSERT_TRUE(m_simulator->SetAnswerDelay(300).ok);
    old->Write("AT\rAT+CMGS=\"1\"\r");
    std::this_thread::sleep_for(30ms);
    old->Write("half a tex");
    std::this_thread::sleep_for(30ms);

    ASSERT_TRUE(m_simulator->Unplug().ok);
    EXPECT_NE(old->Poll(0) & (POLLHUP | POLLERR), 0);
    const ssize_t n = old->Read();
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n;
    EXPECT_FALSE(Exists(m_link));
    EXPECT_FALSE(m_simulator->PluggedIn());
    EXPECT_FALSE(m_simulator->Unplug().ok);
    // While unplugged the network still delivers into the storage; nothing reaches a line.
    EXPECT_TRUE(m_simulator->DeliverSms({"+39222", "while away", std::nullopt, std::nullopt}).ok);

    const std::string oldPath = m_simulator->DevicePath();
    ASSERT_TRUE(m_simulator->SetAnswerDelay(0).ok);
    ASSERT_TRUE(m_simulator->Replug().ok);
    EXPECT_FALSE(m_simulator->Replug().ok);
    EXPECT_NE(m_simulator->DevicePath(), oldPath);
    EXPECT_EQ(old->Read(), n);  // the old line stays dead
    ModemClient fresh(m_link);  // O_NOCTTY, as the programs open it
    ASSERT_TRUE(fresh.IsOpen());
    EXPECT_EQ(fresh.ReadFor(450ms), "");
    // Echo on, and "AT" is a command, not the rest of a message text.
    EXPECT_EQ(fresh.Exchange("AT\r", "AT\r\r\nOK\r\n"), "AT\r\r\nOK\r\n");
    const modemsim::ModemState state = m_simulator->Snapshot();
    const modemsim::Settings defaults;
    EXPECT_TRUE(state.settings.echo && !state.settings.textMode && !state.settings.clip);
    EXPECT_EQ(state.settings.charset, defaults.charset);
    EXPECT_EQ(state.settings.cregMode, 0);
    EXPECT_EQ(state.settings.newMessageIndication, defaults.newMessageIndication);
    EXPECT_EQ(state.call.phase, modemsim::CallPhase::kIdle);
    EXPECT_TRUE(state.outbox.empty());  // the text never ended
    fresh.Exchange("ATE0;+CMGF=1\r", "ATE0;+CMGF=1\r\r\nOK\r\n");
    for (const char* text : {"kept", "while away"}) {
        const std::string slot = std::string(text) == "kept" ? "1" : "2";
        const std::string read = fresh.Exchange("AT+CMGR=" + slot + "\r", "\r\n+CMGR: ");
        EXPECT_NE((read + fresh.ReadFor(200ms)).find(std::string(text) + "\r\n\r\nOK\r\n"),
                  std::string::npos)
            << slot;
    }
    const auto notes = TraceRecorder::Only(
        m_trace.WaitFor([](const auto& e) { return TraceRecorder::Only(e, '!').size() >= 2; }),
        '!');
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].bytes, "unplugged");
    EXPECT_EQ(notes[1].bytes, "plugged in as " + m_simulator->DevicePath());
}

// A timed replug comes back in its time, and one unplugged or replugged by hand meanwhile does
// not: the modem then stays as the hand left it.
TEST_F(ReplugTest, TimedReplugKeepsItsTimeUnlessOvertakenByHand) {
    EXPECT_FALSE(m_simulator->UnplugFor(-1).ok);
    EXPECT_FALSE(m_simulator->UnplugFor(modemsim::kMaxUnplugMs + 1).ok);
    EXPECT_TRUE(m_simulator->PluggedIn());
    constexpr int kAwayMs = 300;
    const Stopwatch watch;
    ASSERT_TRUE(m_simulator->UnplugFor(kAwayMs).ok);
    EXPECT_FALSE(m_simulator->UnplugFor(kAwayMs).ok);
    const auto client = OpenWithin(m_link, kAwayMs + 1000);
    EXPECT_GE(watch.ElapsedMs(), kAwayMs - 5);
    EXPECT_LT(watch.ElapsedMs(), kAwayMs + 300);
    EXPECT_EQ(client->Exchange("AT\r", "AT\r\r\nOK\r\n"), "AT\r\r\nOK\r\n");

    ASSERT_TRUE(m_simulator->UnplugFor(100).ok);
    ASSERT_TRUE(m_simulator->Replug().ok);
    ASSERT_TRUE(m_simulator->Unplug().ok);
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(m_simulator->PluggedIn());
    EXPECT_FALSE(Exists(m_link));
}

// The boot delay's one real-time case: the power-on line at once, the module answering AT but
// refusing its messages until its lines come, the delay after power-on.
TEST(StartUpOnTheLine, PowerOnLineAtOnceTheRestAfterTheBootDelay) {
    constexpr int kBootMs = 400;
    modemsim::SimulatorOptions options;
    options.bootMs = kBootMs;
    options.bootProfile = modemsim::BootProfile::kSimcom;
    const Stopwatch watch;
    const auto simulator = modemsim::Simulator::Create(options);
    ASSERT_NE(simulator, nullptr);
    ModemClient client(simulator->DevicePath());
    EXPECT_EQ(client.ReadAtLeast(7, 1s), "\r\nRDY\r\n");
    EXPECT_EQ(client.Exchange("ATE0\r", "ATE0\r\r\nOK\r\n"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("AT+CMGF=1\r", "\r\nERROR\r\n"), "\r\nERROR\r\n");
    const std::string ready =
        "\r\n+CFUN: 1\r\n\r\n+CPIN: READY\r\n\r\nCall Ready\r\n\r\nSMS Ready\r\n";
    EXPECT_EQ(client.ReadAtLeast(ready.size(), 2s), ready);
    EXPECT_GE(watch.ElapsedMs(), kBootMs - 10);
    EXPECT_LT(watch.ElapsedMs(), kBootMs + 400);
    EXPECT_EQ(client.Exchange("AT+CMGF=1\r", "\r\nOK\r\n"), "\r\nOK\r\n");
}

// Reset restarts the module where it is: the device stays open, what it was still to write is
// dropped and a half-typed text gone, the settings are back at power-on and the SIM asks for its
// PIN again; the stored messages stay. Unplugged, there is nothing to reset.
TEST(StartUpOnTheLine, ResetRestartsOnTheSameDeviceAndKeepsTheStorage) {
    modemsim::SimulatorOptions options;
    options.bootProfile = modemsim::BootProfile::kSimcom;
    options.simPin = "1234";
    const auto simulator = modemsim::Simulator::Create(options);
    ASSERT_NE(simulator, nullptr);
    ASSERT_TRUE(simulator->DeliverSms({"+39111", "kept", 1, std::nullopt}).ok);
    ModemClient client(simulator->DevicePath());
    const std::string powerOn = "\r\nRDY\r\n\r\n+CFUN: 1\r\n\r\n+CPIN: SIM PIN\r\n";
    EXPECT_EQ(client.ReadAtLeast(powerOn.size(), 1s), powerOn);
    const std::string unlock = "ATE0;+CMGF=1;+CPIN=\"1234\"\r";
    const std::string unlocked =
        unlock + "\r\nOK\r\n\r\n+CPIN: READY\r\n\r\nCall Ready\r\n\r\nSMS Ready\r\n";
    EXPECT_EQ(client.Exchange(unlock, unlocked), unlocked);
    ASSERT_TRUE(simulator->SetAnswerDelay(300).ok);
    client.Write("AT\rAT+CMGS=\"1\"\r");
    std::this_thread::sleep_for(30ms);
    client.Write("half a tex");
    std::this_thread::sleep_for(30ms);
    ASSERT_TRUE(simulator->SetAnswerDelay(0).ok);

    const std::string device = simulator->DevicePath();
    ASSERT_TRUE(simulator->Reset().ok);
    EXPECT_EQ(simulator->DevicePath(), device);
    EXPECT_EQ(client.ReadFor(450ms), powerOn);
    EXPECT_EQ(client.Exchange("AT+CMGF?\r", "AT+CMGF?\r\r\n+CMGF: 0\r\n\r\nOK\r\n"),
              "AT+CMGF?\r\r\n+CMGF: 0\r\n\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("AT+CMGR=1\r", "AT+CMGR=1\r\r\n+CMS ERROR: 311\r\n"),
              "AT+CMGR=1\r\r\n+CMS ERROR: 311\r\n");
    modemsim::ModemState state = simulator->Snapshot();
    EXPECT_EQ(state.storage.Find(1)->text, "kept");
    EXPECT_TRUE(state.outbox.empty());
    ASSERT_TRUE(simulator->Unplug().ok);
    EXPECT_FALSE(simulator->Reset().ok);
}

}  // namespace
