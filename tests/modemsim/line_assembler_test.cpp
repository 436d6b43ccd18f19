// Framing of terminal bytes: the same input must give the same lines, texts and echo however it
// is chunked, and nothing may grow past its bound.

#include <gtest/gtest.h>

#include "modemsim/at/modem_session.h"

namespace {

using modemsim::Completion;
using modemsim::LineAssembler;

std::string Describe(const modemsim::AssemblerStep& step) {
    switch (step.completion) {
        case Completion::kNone:
            return "";
        case Completion::kLine:
            return "[line " + step.text + "]";
        case Completion::kLineOverflow:
            return "[line overflow]";
        case Completion::kText:
            return "[text " + step.text + "]";
        case Completion::kTextOverflow:
            return "[text overflow]";
        case Completion::kTextCancelled:
            return "[cancelled]";
    }
    return "";
}

// A transcript of what the assembler reported; a line starting "AT+CMGS" opens the prompt, as
// the session does.
std::string Transcript(const std::string& input, std::size_t chunk) {
    LineAssembler assembler;
    std::string echo;
    std::string events;
    for (std::size_t start = 0; start < input.size(); start += chunk) {
        for (char byte : input.substr(start, chunk)) {
            const modemsim::AssemblerStep step = assembler.Push(byte);
            echo += step.echo ? std::string(1, byte) : "";
            events += Describe(step);
            if (step.completion == Completion::kLine && step.text.rfind("AT+CMGS", 0) == 0) {
                assembler.EnterPrompt();
            }
        }
    }
    return events + " echo:" + echo;
}

struct Case {
    const char* name;
    std::string input;
    std::string expected;
};

TEST(LineAssembler, GivesTheSameResultForEveryChunking) {
    const std::string longLine = "AT" + std::string(LineAssembler::kMaxLine, 'X');
    const std::string fullLine = std::string(LineAssembler::kMaxLine, 'Y');
    const std::vector<Case> cases = {
        {"CR LF ends a line, LF not echoed", "AT\r\nATE0\r\n",
         "[line AT][line ATE0] echo:AT\rATE0\r"},
        {"CR alone ends a line", "AT\rAT\r", "[line AT][line AT] echo:AT\rAT\r"},
        {"stray LF is echoed, not kept", "A\nT\r", "[line AT] echo:A\nT\r"},
        {"backspace takes back", "AX\bT\r", "[line AT] echo:AX\bT\r"},
        {"empty line", "\r\n", "[line ] echo:\r"},
        {"line at the bound", fullLine + "\r", "[line " + fullLine + "] echo:" + fullLine + "\r"},
        {"line past the bound", longLine + "\rAT\r",
         "[line overflow][line AT] echo:" + longLine + "\rAT\r"},
        {"prompt text keeps CR LF", "AT+CMGS=\"1\"\r\nhello\r\n\x1A",
         "[line AT+CMGS=\"1\"][text hello\r\n] echo:AT+CMGS=\"1\"\rhello\r\n"},
        {"CR does not end a text",
         "AT+CMGS=\"1\"\ra\rb\x1A"
         "AT\r",
         "[line AT+CMGS=\"1\"][text a\rb][line AT] echo:AT+CMGS=\"1\"\ra\rbAT\r"},
        {"ESC cancels, not echoed",
         "AT+CMGS=\"1\"\rabc\x1B"
         "AT\r",
         "[line AT+CMGS=\"1\"][cancelled][line AT] echo:AT+CMGS=\"1\"\rabcAT\r"},
        {"empty text", "AT+CMGS=\"1\"\r\n\x1A", "[line AT+CMGS=\"1\"][text ] echo:AT+CMGS=\"1\"\r"},
    };
    for (const Case& c : cases) {
        for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, c.input.size()}) {
            SCOPED_TRACE(testing::Message() << c.name << ", chunks of " << chunk);
            EXPECT_EQ(Transcript(c.input, chunk), c.expected);
        }
    }
}

TEST(LineAssembler, OverlongTextIsReportedOnceAndBounded) {
    const std::string text(LineAssembler::kMaxText + 100, 'z');
    EXPECT_EQ(Transcript("AT+CMGS=\"1\"\r" + text +
                             "\x1A"
                             "AT\r",
                         4096)
                  .substr(0, 48),
              "[line AT+CMGS=\"1\"][text overflow][line AT] echo:");
}

}  // namespace
