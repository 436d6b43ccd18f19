// The service-centre line from what the user typed.

#include <gtest/gtest.h>

#include "platform/core/codepage.h"
#include "quillet/centre_line.h"

namespace {

TEST(CentreLine, NumbersAreQuotedAndCommandsKeptAsTheyStand) {
    const struct {
        std::u16string typed;
        std::u16string line;
    } rows[] = {
        {u"+8613800200500", u"AT+CSCA=\"+8613800200500\",145"},
        {u"13800200500", u"AT+CSCA=\"13800200500\",145"},
        {u"", u"AT+CSCA=\"\",145"},
        {u"A", u"AT+CSCA=\"A\",145"},
        {u" AT+CSCA=\"+86\"", u"AT+CSCA=\" AT+CSCA=\"+86\"\",145"},
        {u"AT+CSCA=\"+8613800200500\"", u"AT+CSCA=\"+8613800200500\",145"},
        {u"at+csca=\"+8613800200500\"", u"at+csca=\"+8613800200500\",145"},
        {u"At+CSCA=+86", u"At+CSCA=+86,145"},
        {u"aT", u"aT,145"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::Utf16ToUtf8(SmsCentreLine(row.typed)), platform::Utf16ToUtf8(row.line));
    }
}

}  // namespace
