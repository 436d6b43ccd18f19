// The SIM as a window deals with it, against a scripted SIM: what is asked, what is sent, what
// is said, and what is never sent again on its own.

#include <gtest/gtest.h>

#include <deque>

#include "fake_system.h"
#include "modemlink/modem.h"
#include "scripted_device.h"
#include "window_common/sim_watch.h"

namespace {

const std::string kOk = "\r\nOK\r\n";

// A SIM whose PIN is 1234, three attempts, then its PUK; or one in another fixed state.
struct ScriptedSim {
    std::string state = "SIM PIN";  // or READY, SIM PUK, absent
    int left = 3;

    std::string Answer(const std::string& line) {
        if (line == "AT+CPIN?") {
            return state == "absent" ? "\r\n+CME ERROR: 10\r\n" : "\r\n+CPIN: " + state + "\r\n" + kOk;
        }
        if (line == "AT+CPINR=\"SIM PIN\"") {
            return "\r\n+CPINR: SIM PIN," + std::to_string(left) + ",3\r\n" + kOk;
        }
        if (line.rfind("AT+CPIN=\"", 0) == 0) {
            if (state == "SIM PIN" && line == "AT+CPIN=\"1234\"") {
                state = "READY";
                return kOk;
            }
            state = --left == 0 ? "SIM PUK" : state;
            return "\r\n+CME ERROR: 16\r\n";
        }
        return kOk;
    }
};

TEST(SimWatch, AsksForThePinAndNeverSendsARefusedOneAgainOnItsOwn) {
    const struct {
        const char* name;
        std::string state;
        std::deque<std::optional<std::u16string>> typed;  // nothing: cancel
        std::vector<const char16_t*> said;                // of two checks
        std::vector<std::string> pins;                    // sent
        std::size_t prompts;
    } rows[] = {
        {"unlocked", "READY", {}, {nullptr, nullptr}, {}, 0},
        {"right PIN, then the set-up again", "SIM PIN", {u"1234"}, {nullptr, nullptr},
         {"AT+CPIN=\"1234\""}, 1},
        {"wrong, then right", "SIM PIN", {u"9999", u"1234"}, {nullptr, nullptr},
         {"AT+CPIN=\"9999\"", "AT+CPIN=\"1234\""}, 2},
        {"cancelled: said once, not asked again", "SIM PIN", {std::nullopt},
         {kSimLocked, nullptr}, {}, 1},
        {"three wrong: the PUK", "SIM PIN", {u"1111", u"2222", u"3333"}, {kSimNeedsPuk, nullptr},
         {"AT+CPIN=\"1111\"", "AT+CPIN=\"2222\"", "AT+CPIN=\"3333\""}, 3},
        {"letters never reach the line", "SIM PIN", {u"12a4", std::nullopt}, {kSimLocked, nullptr},
         {}, 2},
        {"PUK", "SIM PUK", {}, {kSimNeedsPuk, nullptr}, {}, 0},
        {"no SIM", "absent", {}, {kNoSim, nullptr}, {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem system;
        ScriptedSim sim{row.state};
        ScriptedDevice modem(system.backend,
                             [&](const std::string& line) { return Say(sim.Answer(line)); });
        CModem channel{SetupCommands{u"AT+CNMI=2,1,0,0,0"}};
        ASSERT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
        SimWatch watch(channel);
        std::deque<std::optional<std::u16string>> typed = row.typed;
        std::vector<std::u16string> prompts;
        const SimWatch::AskPin ask = [&](const std::u16string& text) {
            prompts.push_back(text);
            std::optional<std::u16string> pin = typed.empty() ? std::nullopt : typed.front();
            if (!typed.empty()) {
                typed.pop_front();
            }
            return pin;
        };
        std::vector<const char16_t*> said;
        for (int check = 0; check < 2; ++check) {
            said.push_back(watch.WantsCheck() ? watch.Check(ask) : nullptr);
        }
        EXPECT_EQ(said, row.said);
        EXPECT_EQ(prompts.size(), row.prompts);
        std::vector<std::string> pins;
        int setups = 0;
        for (const std::string& line : modem.Lines()) {
            pins.insert(pins.end(), line.rfind("AT+CPIN=", 0) == 0 ? 1 : 0, line);
            setups += line == "AT+CNMI=2,1,0,0,0" ? 1 : 0;
        }
        EXPECT_EQ(pins, row.pins);
        EXPECT_EQ(setups, sim.state == "READY" && row.state != "READY" ? 2 : 1);
        if (row.prompts > 1 && !row.pins.empty()) {
            EXPECT_EQ(prompts[1].rfind(kPinWrong, 0), 0U) << "the second prompt says why";
        }
        if (!prompts.empty()) {
            EXPECT_NE(prompts[0].find(kPinAttemptsLeft), std::u16string::npos);
        }
    }
}

}  // namespace
