// What a refused command's answer says, as a log line gives it: the deciding line and its meaning
// from the error tables; and the channel's record of its last failure.

#include "modemlink/error_meanings.h"

#include <gtest/gtest.h>

#include "fake_system.h"
#include "modemlink/modem.h"
#include "scripted_device.h"

namespace {

TEST(ErrorMeanings, ExplainNumberedErrorsAndLeaveTheRestAsTheyCame) {
    const struct {
        std::u16string answer;
        std::string shown;
    } rows[] = {
        {u"AT+CMGS=\"1\"\r\r\n> hi\x1A\r\n+CMS ERROR: 330\r\n",
         "+CMS ERROR: 330 (SMSC address unknown)"},
        {u"\r\n+CME ERROR: 30\r\n", "+CME ERROR: 30 (no network service)"},
        {u"\r\n+CMS ERROR:  21 \r\n", "+CMS ERROR:  21 (short message transfer rejected)"},
        {u"\r\n+CME ERROR: 16\r\n\r\n+CMTI: \"SM\",1\r\n", "+CME ERROR: 16 (incorrect password)"},
        {u"\r\n+CMS ERROR: 999\r\n", "+CMS ERROR: 999 (unknown error code)"},
        // Text forms say it already; numbers too long or not numbers stay as they are.
        {u"\r\n+CME ERROR: SIM PIN required\r\n", "+CME ERROR: SIM PIN required"},
        {u"\r\n+CMS ERROR: 3302111\r\n", "+CMS ERROR: 3302111"},
        {u"ATD1;\r\r\nBUSY\r\n", "BUSY"},
        {u"\r\nERROR\r\n", "ERROR"},
        {u"\r\nsomething else\r\n", "something else"},
        {u"\r\n\u4E2D\x01\r\n", "??"},
        {u"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ExplainedErrorLine(FailureLineOf(row.answer)), row.shown) << row.shown;
    }
}

// The last failure names the command without its arguments, and is kept past later successes.
TEST(ErrorMeanings, TheChannelKeepsItsLastFailure) {
    const struct {
        std::u16string line;
        std::string answer;
        std::string failure;
    } rows[] = {
        {u"AT+CPIN=\"1234\"", "\r\n+CME ERROR: 16\r\n", "AT+CPIN: +CME ERROR: 16 (incorrect password)"},
        {u"AT", "\r\nOK\r\n", "AT+CPIN: +CME ERROR: 16 (incorrect password)"},
        {u"ATD13912345678;", "", "ATD: no answer within 500 ms"},
        {u"AT+CSCA?", "\r\n+CSCA: \"+86", "AT+CSCA: no final result, then 500 ms of silence"},
        {u"AT+CSCA=\"\u4E2D\"", "", "AT+CSCA: a character that no command line can carry"},
    };
    FakeSystem system;
    std::string answer = "\r\nOK\r\n";
    ScriptedDevice modem(system.backend, [&](const std::string&) { return Say(answer); });
    CModem channel{{}};
    ASSERT_EQ(channel.Start(u"COM1:", 115200, nullptr), 1);
    for (const auto& row : rows) {
        answer = row.answer;
        if (channel.SendLine(row.line) == 1) {
            channel.WaitResult();
        }
        EXPECT_EQ(channel.LastFailure(), row.failure);
    }
    CModem unstarted{{}};
    EXPECT_EQ(unstarted.SendLine(u"ATH"), 0);
    EXPECT_EQ(unstarted.LastFailure(), "ATH: the modem did not start");
}

}  // namespace
