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
        {u"\r\n+CME ERROR: 10\r\n", FinalResult::kNone},  // numbered errors are not ERROR\r\n
        {u"\r\n+CMS ERROR: 321\r\n", FinalResult::kNone},
        {u"BOOK\r\n", FinalResult::kOk},  // a line that merely ends in OK counts
        {u"", FinalResult::kNone},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DecideFinalResult(row.response), row.result);
    }
}

TEST(Unsolicited, FindsRingAndNoCarrierInExactCase) {
    const struct {
        std::u16string chunk;
        bool ring;
        bool noCarrier;
    } rows[] = {
        {u"\r\nRING\r\n", true, false},
        {u"\r\nring\r\n", true, false},
        {u"\r\nRing\r\n", false, false},
        {u"\r\nNO CARRIER\r\n", false, true},
        {u"\r\nno carrier\r\n", false, true},
        {u"\r\nNo Carrier\r\n", false, false},
        {u"\r\nRING\r\n\r\nNO CARRIER\r\n", true, true},
        {u"NO CARR", false, false},
        {u"+CRING: VOICE", true, false},  // the extended ring holds the word too
        {u"", false, false},
    };
    for (const auto& row : rows) {
        const UnsolicitedCodes codes = ScanUnsolicited(row.chunk);
        EXPECT_EQ(codes.ring, row.ring);
        EXPECT_EQ(codes.noCarrier, row.noCarrier);
    }
}

TEST(Unsolicited, CallFailuresAreWholeLinesInTheirOrder) {
    using F = CallFailure;
    const struct {
        std::u16string chunk;
        std::vector<CallFailure> failures;
    } rows[] = {
        {u"\r\nBUSY\r\n", {F::kBusy}},
        {u"\r\nno answer\r\n", {F::kNoAnswer}},
        {u"\r\nNO DIALTONE\r\n\r\nNO DIAL TONE\r\n", {F::kNoDialTone, F::kNoDialTone}},
        {u"\r\nNO ANSWER\r\n\r\nBUSY\r\n", {F::kNoAnswer, F::kBusy}},
        {u"BUSY", {F::kBusy}},  // a chunk is whole: its end ends the line
        {u"\r\nRING\r\n\r\n+CLIP: \"BUSY\",129,,,\"NO ANSWER\"\r\n", {}},
        {u"\r\n+CMTI: \"SM\",3 BUSY\r\n", {}},
        {u"\r\n BUSY\r\n", {}},
        {u"\r\nBusy\r\n", {}},
        {u"\r\nNO ANSWERS\r\n", {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ScanUnsolicited(row.chunk).failures, row.failures);
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
