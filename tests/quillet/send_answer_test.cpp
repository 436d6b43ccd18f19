// The prompt and the result of AT+CMGS: the modem's answers, never the echo of the text, decide.

#include <gtest/gtest.h>

#include "platform/core/codepage.h"
#include "quillet/send_answer.h"

namespace {

std::string Show(const std::u16string& text) {
    return platform::Utf16ToUtf8(text);
}

TEST(PromptAnswer, PromptOrErrorAfterTheFirstUnit) {
    const struct {
        const char* name;
        std::u16string answer;
        FinalResult result;
    } rows[] = {
        {"prompt after the echo", u"AT+CMGS=\"10086\"\r\r\n> ", FinalResult::kOk},
        {"prompt at position 0 does not count", u"> ", FinalResult::kNone},
        {"nor hides a later prompt", u">\r\n> ", FinalResult::kOk},
        {"'>' in the echoed number counts", u"AT+CMGS=\"1>2\"\r", FinalResult::kOk},
        {"ERROR", u"AT+CMGS=\"10086\"\r\r\nERROR\r\n", FinalResult::kError},
        {"ERROR at position 0 does not count", u"ERROR\r\n", FinalResult::kNone},
        {"nor hides a later ERROR", u"ERROR\r\n\r\nERROR\r\n", FinalResult::kError},
        {"numbered error", u"\r\n+CMS ERROR: 304\r\n", FinalResult::kError},
        {"numbered error, text form", u"\r\n+CME ERROR: SIM PIN required\r\n", FinalResult::kError},
        {"ERROR without line end is none yet", u"\r\nERROR", FinalResult::kNone},
        {"the prompt is looked for first", u"\r\nERROR\r\n\r\n> ", FinalResult::kOk},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DecidePromptAnswer(row.answer), row.result) << row.name;
    }
}

struct ResultRow {
    const char* name;
    std::u16string text;
    std::u16string answer;
    FinalResult result;
    std::u16string decisiveLine;  // the modem's line that decides; empty when none does
};

// Where the decision must fall: just after the decisive line's end, the last such line.
std::size_t DecisionPoint(const ResultRow& row) {
    if (row.decisiveLine.empty()) {
        return row.answer.size() + 1;
    }
    const std::size_t line = row.answer.rfind(row.decisiveLine + u"\r");
    return line == std::u16string::npos ? 0 : line + row.decisiveLine.size() + 1;
}

TEST(ResultAnswer, OnlyTheModemsOwnLinesDecideHoweverTheAnswerIsCut) {
    const ResultRow rows[] = {
        {"sent", u"Hello", u"Hello\r\n\r\n+CMGS: 7\r\n\r\nOK\r\n", FinalResult::kOk, u"+CMGS: 7"},
        {"echo alone", u"Hello", u"Hello\r\n", FinalResult::kNone, u""},
        {"OK alone decides nothing", u"Hello", u"Hello\r\n\r\nOK\r\n", FinalResult::kNone, u""},
        {"numbered error", u"Hello", u"Hello\r\n\r\n+CMS ERROR: 500\r\n", FinalResult::kError,
         u"+CMS ERROR: 500"},
        {"ERROR", u"Hello", u"Hello\r\n\r\nERROR\r\n", FinalResult::kError, u"ERROR"},
        {"small error is no result", u"Hello", u"Hello\r\nerror\r\n", FinalResult::kNone, u""},
        {"reference without space", u"Hi", u"Hi\r\n\r\n+CMGS:7\r\n", FinalResult::kOk, u"+CMGS:7"},
        {"no reference is no result", u"Hi", u"Hi\r\n\r\n+CMGS: \r\n", FinalResult::kNone, u""},
        {"text CMGS is no success", u"CMGS", u"CMGS\r\n\r\n+CMS ERROR: 500\r\n",
         FinalResult::kError, u"+CMS ERROR: 500"},
        {"text +CMGS: 5 is no success", u"+CMGS: 5", u"+CMGS: 5\r\n\r\n+CMS ERROR: 500\r\n",
         FinalResult::kError, u"+CMS ERROR: 500"},
        {"text line +CMGS: 5 is no success", u"Call\n+CMGS: 5\nme",
         u"Call\r\n+CMGS: 5\r\nme\r\n\r\nERROR\r\n", FinalResult::kError, u"ERROR"},
        {"text ending in ERROR is no failure", u"Code: ERROR",
         u"Code: ERROR\r\n\r\n+CMGS: 9\r\n\r\nOK\r\n", FinalResult::kOk, u"+CMGS: 9"},
        {"prompt after each line break of the echo", u"x\nERROR",
         u"x\r\n> ERROR\r\n> \r\n+CMGS: 10\r\n\r\nOK\r\n", FinalResult::kOk, u"+CMGS: 10"},
        {"line break echoed as CR LF", u"x\nERROR", u"x\r\nERROR\r\n\r\n+CMGS: 12\r\n",
         FinalResult::kOk, u"+CMGS: 12"},
        {"text line +CMGS: 1 between prompts", u"one\n+CMGS: 1",
         u"one\r\n> +CMGS: 1\r\n> \r\n+CMS ERROR: 38\r\n", FinalResult::kError, u"+CMS ERROR: 38"},
        {"rest of the text prompt first", u"Hi", u" Hi\r\n\r\n+CMGS: 4\r\n", FinalResult::kOk,
         u"+CMGS: 4"},
        {"no echo, sent", u"Hello", u"\r\n+CMGS: 11\r\n\r\nOK\r\n", FinalResult::kOk, u"+CMGS: 11"},
        {"no echo, text like the answer", u"\r\n+CMGS: 5", u"\r\n+CMGS: 12\r\n\r\nOK\r\n",
         FinalResult::kOk, u"+CMGS: 12"},
        {"empty text", u"", u"\r\n\r\n+CMGS: 2\r\n\r\nOK\r\n", FinalResult::kOk, u"+CMGS: 2"},
        {"GSM '@' comes back as NUL", std::u16string(u"a\0b", 3),
         std::u16string(u"a\0b\r\n\r\n+CMGS: 3\r\n", 17), FinalResult::kOk, u"+CMGS: 3"},
        {"UCS2 hex", u"4F60000A0045", u"4F60000A0045\r\n\r\n+CMGS: 1\r\n", FinalResult::kOk,
         u"+CMGS: 1"},
        {"junk", u"Hi", u"\xFFFD\x0007>>\r\n\r\n", FinalResult::kNone, u""},
    };
    for (const ResultRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::uint8_t> sent = EncodeLine(row.text, "");
        const std::size_t decided = DecisionPoint(row);
        ASSERT_GT(decided, 0U) << "the decisive line is not in the answer";
        for (std::size_t length = 0; length <= row.answer.size(); ++length) {
            const std::u16string prefix = row.answer.substr(0, length);
            const FinalResult expected = length < decided ? FinalResult::kNone : row.result;
            ASSERT_EQ(DecideResultAnswer(prefix, sent), expected) << Show(prefix);
        }
    }
}

}  // namespace
