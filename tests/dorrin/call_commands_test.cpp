// The dialer's call commands: each writes its one line and takes the channel's final result
// (the silence, events and polling without a port are the channel's own tests).

#include <gtest/gtest.h>

#include "dorrin/modem_setup.h"
#include "modemlink/modem.h"
#include "scripted_modem.h"

namespace {

TEST(CallCommands, EachWritesItsLineAndTakesTheFinalResult) {
    const struct {
        std::int32_t (*run)(CModem&);
        std::string line;
        std::int32_t result;
    } rows[] = {
        {[](CModem& m) { return m.Dial(u"+86 139 1234"); }, "ATD+86 139 1234;", 1},
        // No code-page conversion: U+4E2D goes out as its low byte 0x2D, a '-'.
        {[](CModem& m) { return m.Dial(u"1中2"); }, "ATD1-2;", 0},
        {[](CModem& m) { return m.HangUp(); }, "ATH", 1},
        {[](CModem& m) { return m.Answer(); }, "ATA", 0},
        {[](CModem& m) { return m.Reject(); }, "AT+CHUP", 1},
    };
    // ERROR for the lines whose row expects 0; padded so that each answer comes through at once.
    ScriptedModem modem(
        [&](const std::string& line) {
            for (const auto& row : rows) {
                if (row.line == line && row.result == 0) {
                    return Say("\r\nERROR\r\n");
                }
            }
            return Say("\r\nOK\r\n");
        },
        ModemOptions{false, true, true});
    CModem channel{DorrinSetupCommands()};
    ASSERT_EQ(channel.Start(modem.DeviceName(), 115200, nullptr), 1);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const std::size_t before = modem.Lines().size();
        EXPECT_EQ(row.run(channel), row.result);
        const std::vector<std::string> lines = modem.Lines();
        ASSERT_EQ(lines.size(), before + 1);
        EXPECT_EQ(lines.back(), row.line);
        EXPECT_FALSE(channel.IsCollecting());
    }
}

}  // namespace
