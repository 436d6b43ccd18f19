// A command's wait on a thread with a host (a window's), on virtual time: the host is served at
// least every 50 ms whatever the modem does, the answer is taken the moment it comes, and a host
// that no longer wants the commands ends the wait at once and lets no new command out.

#include <gtest/gtest.h>

#include <optional>

#include "fake_system.h"
#include "modemlink/modem.h"
#include "platform/core/command_wait.h"
#include "scripted_device.h"

namespace {

// Serves by writing down when; stops wanting the commands at its `givesUpAt`-th serve.
class RecordingHost final : public platform::CommandWaitHost {
public:
    RecordingHost(platform::FakeBackend& backend, std::optional<int> givesUpAt)
        : m_backend(backend), m_start(backend.Now()), m_givesUpAt(givesUpAt) {}

    bool Wanted() override { return m_wanted; }
    void WaitBegins() override { ++m_depth; }
    void WaitEnds() override { --m_depth; }
    void Serve() override {
        EXPECT_EQ(m_depth, 1) << "served outside a wait";
        served.push_back(m_backend.MsSince(m_start));
        m_wanted = !m_givesUpAt || static_cast<int>(served.size()) < *m_givesUpAt;
    }

    std::vector<long long> served;  // ms since the host was made
    int Depth() const { return m_depth; }

private:
    platform::FakeBackend& m_backend;
    const platform::TimePoint m_start;
    const std::optional<int> m_givesUpAt;
    bool m_wanted = true;
    int m_depth = 0;
};

// Served at every kServeEveryMs of the wait until it ends (given up: at the serve that gave up).
TEST(CommandWait, TheHostIsServedWhileTheAnswerIsAwaited) {
    constexpr long long kServe = platform::CommandWaitHost::kServeEveryMs;
    const struct {
        const char* name;
        Reply reply;  // to "AT+X"
        std::optional<int> givesUpAt;
        std::int32_t result;
        long long endsAtMs;
    } rows[] = {
        {"silence", {}, std::nullopt, 0, 500},
        {"answered between two serves", {{kServe * 5 + 7, "\r\nOK\r\n"}}, std::nullopt, 1, 107},
        // Text that keeps coming restarts the silence, and the host is still served meanwhile.
        {"an answer that trickles",
         {{33, "\r\n+X: 1"}, {33, "2"}, {33, "3\r\n"}, {33, "\r\nOK\r\n"}},
         std::nullopt,
         1,
         132},
        {"given up at the third serve", {}, 3, 0, kServe * 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem system;
        ScriptedDevice modem(system.backend, [&](const std::string& line) {
            return line == "AT+X" ? row.reply : Say("\r\nOK\r\n");
        });
        CModem channel{{}};
        ASSERT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
        RecordingHost host(system.backend, row.givesUpAt);
        const platform::ScopedCommandWaitHost hosted(host);
        const platform::TimePoint start = system.backend.Now();
        ASSERT_EQ(channel.SendLine(u"AT+X"), 1);
        EXPECT_EQ(channel.WaitResult(), row.result);
        EXPECT_EQ(system.backend.MsSince(start), row.endsAtMs);
        std::vector<long long> served;
        for (long long at = kServe; at < row.endsAtMs || (row.givesUpAt && at == row.endsAtMs);
             at += kServe) {
            served.push_back(at);
        }
        EXPECT_EQ(host.served, served);
        EXPECT_EQ(host.Depth(), 0);
        // A host that gave up lets no further command out.
        const std::size_t written = modem.Lines().size();
        EXPECT_EQ(channel.SendLine(u"AT"), row.givesUpAt ? 0 : 1);
        EXPECT_EQ(modem.Lines().size(), written + (row.givesUpAt ? 0 : 1));
    }
}

}  // namespace
