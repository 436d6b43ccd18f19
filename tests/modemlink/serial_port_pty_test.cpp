// The serial port on a real pseudo-terminal: chunking, the read interval, exclusive use.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "modemlink/serial_port.h"
#include "platform/core/codepage.h"
#include "platform/core/message_box.h"
#include "platform/simhost/pseudo_terminal.h"
#include "recorded_messages.h"
#include "scripted_modem.h"
#include "stopwatch.h"

namespace {

using namespace std::chrono_literals;

// Collects what the reader hands over, chunk by chunk, with the time each arrived.
struct Collector {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::string> chunks;
    std::vector<std::chrono::steady_clock::time_point> times;

    static void OnData(void* user, const std::uint8_t* bytes, std::int32_t count) {
        auto* self = static_cast<Collector*>(user);
        std::lock_guard<std::mutex> guard(self->lock);
        self->chunks.emplace_back(reinterpret_cast<const char*>(bytes),
                                  static_cast<std::size_t>(count));
        self->times.push_back(std::chrono::steady_clock::now());
        self->arrived.notify_all();
    }
    std::size_t Total() {
        std::size_t total = 0;
        for (const auto& chunk : chunks) {
            total += chunk.size();
        }
        return total;
    }
    bool WaitForBytes(std::size_t count, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> guard(lock);
        return arrived.wait_for(guard, limit, [&] { return Total() >= count; });
    }
};

class PortOnPty : public ::testing::Test {
protected:
    void OpenPort() {
        ASSERT_EQ(m_port->Open(m_modem.DeviceName(), 115200, 8, 0, 0, 1, 1, &m_collector), 1);
        m_port->m_pfnData = &Collector::OnData;
    }

    RecordedMessages m_messages;
    ScriptedModem m_modem{AnswerEverything("")};
    Collector m_collector;
    std::unique_ptr<CSerialPort> m_port = std::make_unique<CSerialPort>();
};

TEST_F(PortOnPty, BurstArrivesInOrderInChunksOfAtMost1024) {
    OpenPort();
    std::string burst;
    for (int i = 0; i < 3000; ++i) {
        burst.push_back(static_cast<char>(i % 251));
    }
    ASSERT_TRUE(m_modem.Send(burst));
    ASSERT_TRUE(m_collector.WaitForBytes(3000, 5s));
    std::lock_guard<std::mutex> guard(m_collector.lock);
    std::string joined;
    for (const auto& chunk : m_collector.chunks) {
        EXPECT_LE(chunk.size(), 1024u);
        EXPECT_FALSE(chunk.empty());
        joined += chunk;
    }
    EXPECT_EQ(joined, burst);
    EXPECT_GE(m_collector.chunks.size(), 3u);
}

TEST_F(PortOnPty, ReadThatTimesOutGivesNoCallback) {
    OpenPort();
    std::this_thread::sleep_for(1300ms);  // more than one whole read of 1124 ms
    std::lock_guard<std::mutex> guard(m_collector.lock);
    EXPECT_TRUE(m_collector.chunks.empty());
}

TEST_F(PortOnPty, ChunkIsHandedOverAboutOneIntervalAfterItsLastByte) {
    OpenPort();
    std::vector<long long> delays;
    for (int round = 0; round < 3; ++round) {
        std::this_thread::sleep_for(150ms);
        const auto sent = std::chrono::steady_clock::now();
        ASSERT_TRUE(m_modem.Send("\r\nOK\r\n"));
        ASSERT_TRUE(m_collector.WaitForBytes(6u * static_cast<std::size_t>(round + 1), 2s));
        std::lock_guard<std::mutex> guard(m_collector.lock);
        delays.push_back(
            std::chrono::duration_cast<std::chrono::milliseconds>(m_collector.times.back() - sent)
                .count());
    }
    for (long long delay : delays) {
        EXPECT_GE(delay, 95);
        EXPECT_LE(delay, 250);
    }
}

TEST_F(PortOnPty, WritesReachTheDeviceUnchanged) {
    OpenPort();
    const std::uint8_t line[] = {'A', 'T', 0x00, 0xFF, '\r', '\n'};
    m_port->Write(line, sizeof line);
    for (int i = 0; i < 100 && m_modem.Received().size() < sizeof line; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(m_modem.Received(), std::string("AT\0\xFF\r\n", 6));
}

TEST_F(PortOnPty, SecondPortOnTheSameDeviceCannotOpen) {
    OpenPort();
    CSerialPort second;
    Stopwatch watch;
    EXPECT_EQ(second.Open(m_modem.DeviceName(), 115200, 8, 0, 0, 1, 1, nullptr), 0);
    EXPECT_EQ(second.IsOpen(), 0);
    EXPECT_EQ(m_messages.texts,
              std::vector<std::u16string>{u"无法打开端口或端口已打开!请检查是否已被占用."});
    EXPECT_EQ(m_port->IsOpen(), 1);
    EXPECT_LT(watch.ElapsedMs(), 100);  // no thread to stop: no pause
}

TEST_F(PortOnPty, DeviceIsFreeAgainOnceThePortIsGone) {
    OpenPort();
    m_port.reset();
    CSerialPort again;
    EXPECT_EQ(again.Open(m_modem.DeviceName(), 115200, 8, 0, 0, 1, 1, nullptr), 1);
    EXPECT_TRUE(m_messages.texts.empty());
}

TEST_F(PortOnPty, DestroyWhileDataFlowsEndsTheReaderBeforeReturning) {
    OpenPort();
    // 8 KiB in all: small enough for the pty's buffers to take what the destroyed port no
    // longer reads, so the peer never blocks.
    std::thread flood([&] {
        for (int i = 0; i < 16; ++i) {
            m_modem.Send(std::string(512, 'x'));
            std::this_thread::sleep_for(2ms);
        }
    });
    ASSERT_TRUE(m_collector.WaitForBytes(2048, 5s));
    Stopwatch watch;
    m_port.reset();
    const long long elapsed = watch.ElapsedMs();
    std::size_t chunksAtDestruction;
    {
        std::lock_guard<std::mutex> guard(m_collector.lock);
        chunksAtDestruction = m_collector.chunks.size();
    }
    flood.join();
    std::this_thread::sleep_for(200ms);
    std::lock_guard<std::mutex> guard(m_collector.lock);
    EXPECT_EQ(m_collector.chunks.size(), chunksAtDestruction) << "callback after destruction";
    EXPECT_GE(elapsed, 195);
    EXPECT_LT(elapsed, 1500);
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
