// Figures of the modem link over a pseudo-terminal with an instantly answering peer:
//   reply latency  - from the peer's last byte of "OK\r\n" to WaitResult returning
//   throughput     - bytes per second through the reader thread, none lost
//   idle CPU       - process CPU time while a port sits open with nothing arriving
// Usage: modemlink_bench [idle seconds, default 10]

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "modemlink/modem.h"
#include "platform/core/codepage.h"
#include "platform/simhost/pseudo_terminal.h"
#include "scripted_modem.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Answers every line with OK at once and notes when; the answer goes out right after.
class InstantPeer {
public:
    std::u16string Device() const { return m_modem.DeviceName(); }
    Clock::time_point LastAnswer() const { return m_lastAnswer.load(); }

private:
    std::atomic<Clock::time_point> m_lastAnswer{};
    ScriptedModem m_modem{[this](const std::string&) {
                              m_lastAnswer = Clock::now();
                              return Say("\r\nOK\r\n");
                          },
                          ModemOptions{false, false, false}};
};

void ReplyLatency() {
    InstantPeer peer;
    CModem modem{SetupCommands{}};
    if (modem.Start(peer.Device(), 115200, nullptr) != 1) {
        std::printf("reply latency: start-up failed\n");
        return;
    }
    std::vector<double> samples;
    for (int i = 0; i < 31; ++i) {
        modem.SendLine(u"AT");
        const std::int32_t result = modem.WaitResult();
        const Clock::time_point returned = Clock::now();
        if (result == 1) {
            samples.push_back(Ms(returned - peer.LastAnswer()));
        }
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    std::printf(
        "reply latency, %zu commands: median %.1f ms = 100 ms read interval + %.1f ms "
        "(min %.1f, max %.1f)\n",
        samples.size(), median, median - 100.0, samples.front(), samples.back());
}

struct Sink {
    std::mutex lock;
    std::condition_variable done;
    std::size_t received = 0;
    std::size_t mismatched = 0;
    std::size_t expected = 0;
    static void OnData(void* user, const std::uint8_t* bytes, std::int32_t count) {
        auto* self = static_cast<Sink*>(user);
        std::lock_guard<std::mutex> guard(self->lock);
        for (std::int32_t i = 0; i < count; ++i) {
            if (bytes[i] != static_cast<std::uint8_t>(self->received % 251)) {
                ++self->mismatched;
            }
            ++self->received;
        }
        if (self->received >= self->expected) {
            self->done.notify_all();
        }
    }
};

void Throughput() {
    auto pty = platform::PseudoTerminal::Create();
    Sink sink;
    sink.expected = 16u << 20;
    CSerialPort port;
    if (port.Open(platform::Utf8ToUtf16(pty->SlavePath()), 115200, 8, 0, 0, 1, 1, &sink) != 1) {
        return;
    }
    port.m_pfnData = &Sink::OnData;
    std::string block(64 * 1024, '\0');
    const Clock::time_point start = Clock::now();
    for (std::size_t sent = 0; sent < sink.expected; sent += block.size()) {
        for (std::size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>((sent + i) % 251);
        }
        pty->Write(block);
    }
    std::unique_lock<std::mutex> guard(sink.lock);
    sink.done.wait_for(guard, std::chrono::seconds(60),
                       [&] { return sink.received >= sink.expected; });
    const double seconds = Ms(Clock::now() - start) / 1000.0;
    std::printf("reader throughput: %zu bytes in %.2f s = %.1f MB/s, %zu lost, %zu corrupted\n",
                sink.received, seconds, static_cast<double>(sink.received) / seconds / 1e6,
                sink.expected - std::min(sink.expected, sink.received), sink.mismatched);
}

void IdleCpu(int seconds) {
    auto pty = platform::PseudoTerminal::Create();
    CSerialPort port;
    if (port.Open(platform::Utf8ToUtf16(pty->SlavePath()), 115200, 8, 0, 0, 1, 1, nullptr) != 1) {
        return;
    }
    const std::clock_t before = std::clock();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpuMs = static_cast<double>(std::clock() - before) * 1000.0 / CLOCKS_PER_SEC;
    std::printf("idle open port over %d s: %.1f ms CPU (%.3f %%)\n", seconds, cpuMs,
                cpuMs / (seconds * 10.0));
}

}  // namespace

int main(int argc, char** argv) {
    const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    ReplyLatency();
    Throughput();
    IdleCpu(idleSeconds);
    return 0;
}
