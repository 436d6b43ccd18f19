// Locating sender and text in the answer to AT+CMGR, and when that answer is decided.

#include <gtest/gtest.h>

#include "platform/core/codepage.h"
#include "quillet/read_answer.h"

namespace {

const std::u16string kEcho = u"AT+CMGR=1\r";
const std::u16string kStamp = u",,\"26/12/06,21:30:00+32\"";

std::u16string Answer(const std::u16string& status, const std::u16string& sender,
                      const std::u16string& text) {
    return kEcho + u"\r\n+CMGR: \"" + status + u"\",\"" + sender + u"\"" + kStamp + u"\r\n" + text +
           u"\r\n\r\nOK\r\n";
}

struct Found {
    FinalResult result;
    std::u16string number;
    std::u16string text;
};

Found Decide(const std::u16string& answer) {
    Found found{DecideReadAnswer(answer), {}, {}};
    if (const std::optional<ReadAnswer> read = LocateReadAnswer(answer)) {
        found.number = answer.substr(read->numberStart, read->numberLength);
        found.text = answer.substr(read->bodyStart, read->bodyLength);
    }
    return found;
}

std::string Show(const std::u16string& text) {
    return platform::Utf16ToUtf8(text);
}

TEST(ReadAnswer, DecidesCompleteAnswersAndErrors) {
    const struct {
        const char* name;
        std::u16string answer;
        FinalResult result;
        std::u16string number;
        std::u16string text;
    } rows[] = {
        {"read message", Answer(u"REC READ", u"+8613912345678", u"Meet at 10"), FinalResult::kOk,
         u"+8613912345678", u"Meet at 10"},
        {"unread message is not recognised", Answer(u"REC UNREAD", u"+86139", u"Hi"),
         FinalResult::kNone, u"", u""},
        {"empty slot answers OK only", kEcho + u"\r\nOK\r\n", FinalResult::kNone, u"", u""},
        {"numbered error is no error", kEcho + u"\r\n+CMS ERROR: 321\r\n", FinalResult::kNone, u"",
         u""},
        {"ERROR fails", kEcho + u"\r\nERROR\r\n", FinalResult::kError, u"", u""},
        {"ERROR at position 0 does not count", u"ERROR\r\n", FinalResult::kNone, u"", u""},
        {"nor hides a later ERROR", u"ERROR\r\n\r\nERROR\r\n", FinalResult::kError, u"", u""},
        {"small error does not count", kEcho + u"\r\nerror\r\n", FinalResult::kNone, u"", u""},
        {"ERROR without line end is none yet", kEcho + u"\r\nERROR", FinalResult::kNone, u"", u""},
        {"text ending in ERROR is returned", Answer(u"REC READ", u"10086", u"Code: ERROR"),
         FinalResult::kOk, u"10086", u"Code: ERROR"},
        {"text with an empty line and OK is whole",
         Answer(u"REC READ", u"10086", u"Pay?\r\n\r\nOK\r\nthanks"), FinalResult::kOk, u"10086",
         u"Pay?\r\n\r\nOK\r\nthanks"},
        {"text ending in an empty line and OK is whole",
         Answer(u"REC READ", u"10086", u"Pay?\r\n\r\nOK"), FinalResult::kOk, u"10086",
         u"Pay?\r\n\r\nOK"},
        {"empty sender gives an empty number", Answer(u"REC READ", u"", u"anonymous"),
         FinalResult::kOk, u"", u"anonymous"},
        {"empty text", Answer(u"REC READ", u"10086", u""), FinalResult::kOk, u"10086", u""},
        {"unsolicited lines around the answer",
         u"\r\n+CREG: 1\r\n" + Answer(u"REC READ", u"555", u"x") + u"\r\nRING\r\n",
         FinalResult::kOk, u"555", u"x"},
        {"closing OK without its line end is none yet",
         kEcho + u"\r\n+CMGR: \"REC READ\",\"555\"" + kStamp + u"\r\nx\r\n\r\nOK",
         FinalResult::kNone, u"", u""},
        {"sender without closing quote", kEcho + u"\r\n+CMGR: \"REC READ\",\"555\r\n\r\nOK\r\n",
         FinalResult::kNone, u"", u""},
        {"closing right after the header line leaves no text",
         kEcho + u"\r\n+CMGR: \"REC READ\",\"555\"\r\n\r\nOK\r\n", FinalResult::kNone, u"", u""},
        {"junk", u"\x0007\xFFFD>>\"\"\r\n+CMGR\r\n", FinalResult::kNone, u"", u""},
        {"header without a sender field", kEcho + u"\r\n+CMGR: \"REC READ\"\r\nx\r\n\r\nOK\r\n",
         FinalResult::kNone, u"", u""},
        {"REC READ in an unread message's text is no header",
         Answer(u"REC UNREAD", u"555", u"see \"REC READ\",\"10086\" here"), FinalResult::kNone, u"",
         u""},
        {"sender left open on the header line, quote in the text",
         kEcho + u"\r\n+CMGR: \"REC READ\",\"555\r\nsay \"hi\"\r\n\r\nOK\r\n", FinalResult::kNone,
         u"", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Found found = Decide(row.answer);
        EXPECT_EQ(found.result, row.result) << Show(row.answer);
        EXPECT_EQ(Show(found.number), Show(row.number));
        EXPECT_EQ(Show(found.text), Show(row.text));
    }
}

// However the answer is cut into chunks, no part of it decides before the whole has come: not an
// ERROR in the text, not an unfinished closing.
TEST(ReadAnswer, NoPrefixDecidesBeforeTheAnswerIsWhole) {
    const struct {
        const char* name;
        std::u16string answer;
        FinalResult result;
    } rows[] = {
        {"read message", Answer(u"REC READ", u"+8613912345678", u"Meet at 10"), FinalResult::kOk},
        {"text ending in ERROR", Answer(u"REC READ", u"10086", u"Code: ERROR"), FinalResult::kOk},
        {"text line ERROR", Answer(u"REC READ", u"10086", u"ERROR\r\nERROR"), FinalResult::kOk},
        {"empty sender", Answer(u"REC READ", u"", u"x"), FinalResult::kOk},
        {"ERROR", kEcho + u"\r\nERROR\r\n", FinalResult::kError},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (std::size_t length = 0; length < row.answer.size(); ++length) {
            ASSERT_EQ(DecideReadAnswer(row.answer.substr(0, length)), FinalResult::kNone)
                << Show(row.answer.substr(0, length));
        }
        EXPECT_EQ(DecideReadAnswer(row.answer), row.result);
    }
}

}  // namespace
