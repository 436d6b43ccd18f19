// Every command of both programs against a modem that refuses it with a numbered error or its
// text form: each is decided at once, on virtual time, and leaves the channel idle.

#include <gtest/gtest.h>

#include <functional>

#include "fake_system.h"
#include "modemlink/modem.h"
#include "quillet/slot_read.h"
#include "scripted_device.h"

namespace {

struct Command {
    const char* name;
    std::function<std::int32_t(CModem&)> run;  // 1 when the command succeeded
};

std::int32_t Read(CModem& modem) {
    SlotRead read;
    modem.ReadSlot(1, read);
    return read.answer == SlotAnswer::kError ? 0 : 1;
}

TEST(ErrorAnswers, EveryCommandIsDecidedAtOnce) {
    std::int32_t used = 0;
    std::int32_t total = 0;
    std::u16string answer;
    const Command commands[] = {
        {"a start-up line", [](CModem& m) { return m.SendLine(u"AT+CMGF=1") * m.WaitResult(); }},
        {"send (at the prompt)", [](CModem& m) { return m.SendSms(u"10086", u"Hi"); }},
        {"send in UCS2", [](CModem& m) { return m.SendSms(u"10086", u"\u4F60\u597D"); }},
        {"read", Read},
        {"delete", [](CModem& m) { return m.DeleteSms(1); }},
        {"centre", [](CModem& m) { return m.SetSmsCentre(u"+8613800200500"); }},
        {"storage use", [&](CModem& m) { return m.StorageUsage(used, total); }},
        {"a question", [&](CModem& m) { return m.Ask(u"AT+CNMI?", answer) == 1 ? 1 : 0; }},
        {"dial", [](CModem& m) { return m.Dial(u"10086"); }},
        {"hang up", [](CModem& m) { return m.HangUp(); }},
        {"answer", [](CModem& m) { return m.Answer(); }},
        {"reject", [](CModem& m) { return m.Reject(); }},
    };
    for (const char* error : {"+CME ERROR: 10", "+CMS ERROR: 311", "+CME ERROR: SIM PIN required",
                              "+CMS ERROR: SIM busy"}) {
        FakeSystem system;
        ScriptedDevice modem(system.backend, [&](const std::string& line) {
            return line == "AT" || line == "AT+IPR=115200" ? Say("\r\nOK\r\n")
                                                           : Say("\r\n" + std::string(error) + "\r\n");
        });
        CModem channel{SetupCommands{}};
        ASSERT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
        for (const Command& command : commands) {
            SCOPED_TRACE(std::string(error) + ": " + command.name);
            const platform::TimePoint start = system.backend.Now();
            EXPECT_EQ(command.run(channel), 0);
            EXPECT_EQ(system.backend.MsSince(start), 0);
            EXPECT_FALSE(channel.IsCollecting());
        }
    }
}

}  // namespace
