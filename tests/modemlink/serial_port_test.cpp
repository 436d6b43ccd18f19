// The serial port against the test backend (configuration, failures, shutdown order) and on a
// real pseudo-terminal (chunking, bytes unchanged both ways, exit with an open port).

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <thread>

#include "fake_system.h"
#include "modemlink/port_messages.h"
#include "modemlink/serial_port.h"
#include "platform/core/codepage.h"
#include "platform/simhost/pseudo_terminal.h"
#include "recorded_messages.h"
#include "scripted_modem.h"

namespace {

using platform::InjectedFaults;
using Calls = std::vector<std::string>;

// Collects what the reader hands over, chunk by chunk.
struct Collector {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::string> chunks;
    std::size_t total = 0;
    void* user = nullptr;

    static void OnData(void* user, const std::uint8_t* data, std::int32_t count) {
        auto* self = static_cast<Collector*>(user);
        std::lock_guard<std::mutex> guard(self->lock);
        self->user = user;
        self->chunks.emplace_back(reinterpret_cast<const char*>(data),
                                  static_cast<std::size_t>(count));
        self->total += self->chunks.back().size();
        self->arrived.notify_all();
    }
    // Holds the lock from when `bytes` have come, or the limit has passed.
    std::unique_lock<std::mutex> WaitFor(std::size_t bytes, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> guard(lock);
        arrived.wait_for(guard, limit, [&] { return total >= bytes; });
        return guard;
    }
};

std::int32_t OpenModemPort(CSerialPort& port, void* owner = nullptr) {
    return port.Open(u"COM1:", 115200, 8, 0, 0, 1, 1, owner);
}

// Each failure shows its message once, in its place among the calls, and leaves no device,
// thread or event behind.
TEST(SerialPortFailures, EachFailureShowsItsMessageAndLeavesNothingOpen) {
    const struct {
        const char* name;
        InjectedFaults faults;
        std::u16string message;
        const char* first;  // of the message and the device's closing
    } rows[] = {
        {"device missing", {true, false, false, false, false}, kPortCannotOpen, "Message"},
        {"line settings rejected",
         {false, true, false, false, false},
         kPortCannotConfigure,
         "Message"},
        {"time-outs rejected",
         {false, false, true, false, false},
         kPortCannotSetTimeouts,
         "Message"},
        {"thread start fails",
         {false, false, false, true, false},
         kPortThreadFailed,
         "CloseDevice"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem system(row.faults);
        {
            CSerialPort port;
            EXPECT_EQ(OpenModemPort(port), 0);
            EXPECT_EQ(port.IsOpen(), 0);
            EXPECT_FALSE(system.backend.DeviceIsOpen());
            EXPECT_EQ(system.backend.Messages(), std::vector<std::u16string>{row.message});
            const Calls calls = system.backend.Calls();
            const int close = IndexOf(calls, "CloseDevice");
            if (close >= 0) {
                EXPECT_EQ(IndexOf(calls, row.first), std::min(close, IndexOf(calls, "Message")));
            }
            EXPECT_EQ(CountOf(calls, "CreateEvent"), CountOf(calls, "CloseEvent"));
            system.backend.ClearCalls();
        }
        EXPECT_TRUE(system.backend.Calls().empty()) << "destroying it calls nothing";
    }
}

TEST(SerialPortOpen, ConfiguresTheLineInOrder) {
    FakeSystem system;
    CSerialPort port;
    ASSERT_EQ(OpenModemPort(port), 1);
    Calls calls = system.backend.Calls();
    ASSERT_GE(calls.size(), 10u);
    calls.resize(10);
    calls[8] = calls[8].substr(0, calls[8].find('('));  // the event's number varies
    EXPECT_EQ(calls, (Calls{"OpenDevice(COM1:)", "GetLineSettings", "SetEventMask(1)",
                            "SetQueueSizes(16384,16384)", "SetLineSettings", "GetTimeouts",
                            "SetTimeouts(100,1,100,0,0)", "Purge", "CreateEvent", "StartThread"}));
    const platform::LineSettings line = system.backend.AppliedLineSettings();
    EXPECT_EQ(line.baudRate, 115200u);
    EXPECT_EQ(line.byteSize, 8);
    EXPECT_EQ(line.parity, platform::kNoParity);
    EXPECT_EQ(line.stopBits, platform::kOneStopBit);
    EXPECT_TRUE(line.binary);
    EXPECT_FALSE(line.parityCheck);
    EXPECT_EQ(line.dtrControl, platform::LineControl::kHandshake);
    EXPECT_EQ(line.rtsControl, platform::LineControl::kHandshake);
    EXPECT_FALSE(line.xonXoffIn || line.xonXoffOut || line.txContinueOnXoff);
    EXPECT_EQ(port.IsOpen(), 1);
    EXPECT_TRUE(system.backend.Messages().empty());
    EXPECT_EQ(OpenModemPort(port), 0);  // an object is opened once
    EXPECT_EQ(system.backend.OpenCount(), 1);
    EXPECT_EQ(system.backend.Messages(), std::vector<std::u16string>{kPortCannotOpen});
}

TEST(SerialPortLifetime, CloseTwiceAndWriteAfterClose) {
    FakeSystem system;
    CSerialPort port;
    ASSERT_EQ(OpenModemPort(port), 1);
    EXPECT_EQ(port.Close(), 1);
    EXPECT_EQ(port.IsOpen(), 0);
    system.backend.ClearCalls();
    EXPECT_EQ(port.Close(), 0);
    EXPECT_TRUE(system.backend.Calls().empty());
    const std::uint8_t bytes[] = {'A', 'T', '\r', '\n'};
    port.Write(bytes, 4);
    EXPECT_EQ(system.backend.Calls(),
              Calls{"Message(" + platform::Utf16ToUtf8(kPortNotOpen) + ")"});
    EXPECT_EQ(system.backend.Written(), "");
}

TEST(SerialPortLifetime, DestroyClosesThenStopsThenWaitsForTheReader) {
    FakeSystem system;
    platform::TimePoint start;
    {
        CSerialPort port;
        ASSERT_EQ(OpenModemPort(port), 1);
        system.backend.ClearCalls();
        start = system.backend.Now();
    }
    const long long elapsed = system.backend.MsSince(start);
    Calls calls = system.backend.Calls();
    for (std::string& call : calls) {
        call = call.substr(0, call.find('('));
    }
    EXPECT_EQ(calls, (Calls{"SetEventMask", "Purge", "CloseDevice", "SetEvent", "Sleep",
                            "WaitForThread", "CloseThread", "CloseEvent"}));
    EXPECT_EQ(elapsed, 200) << "the reader's grace";
}

// On real time the test backend's reads end empty every 100 ms: none of them may reach the
// callback either.
TEST(SerialPortReader, OnlyChunksReadOnceTheCallbackIsInstalledReachIt) {
    FakeSystem system(platform::TestTime::kReal);
    Collector collector;
    CSerialPort port;
    ASSERT_EQ(OpenModemPort(port, &collector), 1);
    system.backend.PushInput("early");
    // Two further reads have begun: the one that took "early" has handed it on (or not).
    const int readsAtPush = system.backend.ReadCount();
    while (system.backend.ReadCount() < readsAtPush + 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    port.m_pfnData = &Collector::OnData;
    system.backend.PushInput("late");
    collector.WaitFor(4, std::chrono::seconds(2)).unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));  // two empty reads end meanwhile
    const auto guard = collector.WaitFor(0, std::chrono::milliseconds(0));
    EXPECT_EQ(collector.chunks, std::vector<std::string>{"late"});
    EXPECT_EQ(collector.user, &collector);
}

// Real time: on virtual time the grace itself would wait for the busy reader.
TEST(SerialPortLifetime, DestroyWaitsForACallbackStillRunning) {
    FakeSystem system(platform::TestTime::kReal);
    struct Slow {
        std::atomic<bool> entered{false};
        std::atomic<bool> finished{false};
    } slow;
    auto port = std::make_unique<CSerialPort>();
    ASSERT_EQ(OpenModemPort(*port, &slow), 1);
    port->m_pfnData = [](void* user, const std::uint8_t*, std::int32_t) {
        auto* s = static_cast<Slow*>(user);
        s->entered = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(400));  // longer than the grace
        s->finished = true;
    };
    system.backend.PushInput("\r\nRING\r\n");
    while (!slow.entered) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    port.reset();
    EXPECT_TRUE(slow.finished);
}

// Process CPU time over a stretch of wall time: a spinning reader would use all of it.
double CpuShareOver(int wallMs) {
    const std::clock_t before = std::clock();
    std::this_thread::sleep_for(std::chrono::milliseconds(wallMs));
    return static_cast<double>(std::clock() - before) / CLOCKS_PER_SEC * 1000.0 / wallMs;
}

// A pulled USB adapter fails every read at once; a closed device has nothing to read.
TEST(SerialPortReader, RestsBetweenFailedReadsAndWhileClosed) {
    FakeSystem system(InjectedFaults{false, false, false, false, true}, platform::TestTime::kReal);
    CSerialPort port;
    ASSERT_EQ(OpenModemPort(port), 1);
    const int before = system.backend.ReadCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const int reads = system.backend.ReadCount() - before;
    EXPECT_GE(reads, 3);
    EXPECT_LE(reads, 8);  // about one per 100 ms
    port.Close();
    EXPECT_LT(CpuShareOver(300), 0.2);
}

TEST(SerialPortOnPty, BytesPassUnchangedBothWaysInReadsOfAtMost1024) {
    RecordedMessages messages;
    ScriptedModem modem(AnswerEverything(""));
    Collector collector;
    CSerialPort port;
    ASSERT_EQ(port.Open(modem.DeviceName(), 115200, 8, 0, 0, 1, 1, &collector), 1);
    port.m_pfnData = &Collector::OnData;
    std::string burst;
    for (int i = 0; i < 3000; ++i) {
        burst.push_back(static_cast<char>(i % 251));
    }
    ASSERT_TRUE(modem.Send(burst));
    const std::uint8_t line[] = {'A', 'T', 0x00, 0xFF, '\r', '\n'};
    port.Write(line, sizeof line);
    const auto guard = collector.WaitFor(burst.size(), std::chrono::seconds(5));
    std::string joined;
    for (const std::string& chunk : collector.chunks) {
        EXPECT_LE(chunk.size(), 1024u);
        joined += chunk;
    }
    EXPECT_EQ(joined, burst);
    EXPECT_GE(collector.chunks.size(), 3u);
    EXPECT_EQ(modem.Lines(), std::vector<std::string>{std::string("AT\0\xFF", 4)});
    EXPECT_TRUE(messages.texts.empty());
}

// The real backend outlives static objects, and a reader thread nobody waited for does not
// abort the process at exit.
TEST(SerialPortAtExit, ProcessWithAnOpenPortEndsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static std::unique_ptr<platform::PseudoTerminal> pty =
                platform::PseudoTerminal::Create();
            static CSerialPort* port = new CSerialPort;
            port->Open(platform::Utf8ToUtf16(pty->SlavePath()), 115200, 8, 0, 0, 1, 1, nullptr);
            std::exit(port->IsOpen() == 1 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
