// Pure decisions over modem text, byte by byte and all at once.

#include "modemlink/result_codes.h"

#include <gtest/gtest.h>

namespace {

TEST(FinalResult, DecidesFromTheWholeAnswer) {
    const struct {
        std::u16string response;
        FinalResult result;
    } rows[] = {
        {u"AT\r\r\nOK\r\n", FinalResult::kOk},
        {u"\r\nERROR\r\n", FinalResult::kError},
        {u"\r\nok\r\n", FinalResult::kOk},
        {u"\r\nerror\r\n", FinalResult::kError},
        {u"\r\nOK\r\n\r\nERROR\r\n", FinalResult::kError},  // an error anywhere wins
        {u"\r\nERROR\r\n\r\nOK\r\n", FinalResult::kError},
        {u"\r\nOk\r\n", FinalResult::kNone},  // mixed case is no code
        {u"\r\nErRoR\r\n", FinalResult::kNone},
        {u"\r\nOK", FinalResult::kNone},  // not complete without its line end
        {u"\r\nOK\r", FinalResult::kNone},
        // Numbered errors and their text forms decide at once, once their line has ended.
        {u"\r\n+CME ERROR: 10\r\n", FinalResult::kError},
        {u"\r\n+CMS ERROR: 321\r\n", FinalResult::kError},
        {u"+CME ERROR: SIM PIN required\r\n", FinalResult::kError},
        {u"\r\n+CMS ERROR: 3", FinalResult::kNone},
        {u"\r\nsaid +CME ERROR: 10\r\n", FinalResult::kNone},  // not at a line's start
        {u"BOOK\r\n", FinalResult::kOk},  // a line that merely ends in OK counts
        {u"", FinalResult::kNone},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DecideFinalResult(row.response), row.result);
    }
}

// Every family's call reports, whole lines only and in their order.
TEST(Unsolicited, CallReportsAreWholeLinesOfEveryFamily) {
    using R = CallReport;
    const struct {
        std::u16string chunk;
        std::vector<CallReport> reports;
    } rows[] = {
        {u"\r\nNO CARRIER\r\n", {R::kEnded}},
        {u"\r\nno carrier\r\n", {R::kEnded}},
        {u"\r\n^CEND: 1,12,104,16\r\n", {R::kEnded}},
        {u"\r\n^CEND:1,0,104,17\r\n", {R::kBusy}},
        {u"\r\n^CEND: 1,0,104,19\r\n", {R::kNoAnswer}},
        {u"\r\n^CEND: 1,0,21\r\n", {R::kEnded}},
        {u"\r\nHANGUP: 1\r\n", {R::kEnded}},
        {u"\r\nMISSED_CALL: 11:20AM 13912345678\r\n", {R::kEnded}},
        {u"\r\nVOICE CALL: END: 000012\r\n\r\nVOICE CALL: BEGIN\r\n", {}},
        {u"\r\nCONNECT\r\n", {R::kConnected}},
        {u"\r\nCONNECT 9600\r\n", {R::kConnected}},
        {u"\r\n^CONN: 1,0\r\n", {R::kConnected}},
        {u"\r\n^ORIG: 1,0\r\n\r\n^CONF: 1\r\n", {}},
        {u"\r\nBUSY\r\n", {R::kBusy}},
        {u"\r\nno answer\r\n", {R::kNoAnswer}},
        {u"\r\nNO DIALTONE\r\n\r\nNO DIAL TONE\r\n", {R::kNoDialTone, R::kNoDialTone}},
        {u"\r\nRING\r\n\r\nNO CARRIER\r\n\r\nBUSY\r\n", {R::kEnded, R::kBusy}},
        {u"BUSY", {R::kBusy}},  // a chunk is whole: its end ends the line
        // The words inside other lines report nothing.
        {u"\r\nRING\r\n\r\n+CLIP: \"NO CARRIER\",129,,,\"BUSY\"\r\n", {}},
        {u"\r\n+CMTI: \"SM\",3 NO ANSWER\r\n", {}},
        {u"\r\n BUSY\r\n", {}},
        {u"\r\nBusy\r\n", {}},
        {u"\r\nNO CARRIERS\r\n", {}},
        {u"\r\nCONNECTED\r\n", {}},
        {u"\r\nNO CARR", {}},
    };
    for (const auto& row : rows) {
        const std::string shown(row.chunk.begin(), row.chunk.end());
        EXPECT_EQ(CallReportsOfLines(row.chunk), row.reports) << shown;
    }
}

TEST(CallerNumber, TakesTheQuotedFieldOfTheClipLine) {
    const struct {
        std::u16string text;
        std::u16string number;
    } rows[] = {
        {u"\r\nRING\r\n\r\n+CLIP: \"+393351391306\",145,,,,0\r\n", u"+393351391306"},
        {u"\r\n+CLIP: \"13800138000\",129\r\n\r\nRING\r\n", u"13800138000"},  // before RING
        {u"\r\nRING\r\n\r\n+CLIP: \"\",128,,,,1\r\n", u""},                   // withheld
        {u"\r\nRING\r\n\r\n+CLIP: \"12345", u""},                             // no closing quote
        {u"+CLIP: \"12\r\n+CLIP: \"3\"", u""},  // a quote on a later line is no end
        {u"+CLIP: \"12\r\"", u""},
        {u"\r\nRING\r\n", u""},
        {u"+CLIP:\"123\"", u""},  // no blank: no line
        {u"+clip: \"123\"", u""},
        {u"+CLIP: \"1\"\r\n+CLIP: \"2\"", u"1"},  // the first line
        {u"+CLIP: \"ab\x4E2D\"", u"ab\x4E2D"},    // not examined further
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CallerNumber(row.text), row.number);
    }
}

TEST(CommandLine, FullWidthFormsBecomeAsciiAndNoOtherCharacterGoesOut) {
    EXPECT_EQ(CommandLineText(u"ATD１３９＋＊＃\u30000;"), std::u16string(u"ATD139+*# 0;"));
    EXPECT_EQ(CommandLineText(u"AT+CSCA=\"+86 138\",145"),
              std::u16string(u"AT+CSCA=\"+86 138\",145"));
    for (const std::u16string line : {u"ATD139\u4E0D0;", u"ATD139\r0;", u"ATD139\x1A;",
                                      u"ATD139\x1B;", u"ATD\u00E9;", u"ATD\uFF21;", u"\x7F"}) {
        EXPECT_FALSE(CommandLineText(line));
    }
}

}  // namespace
