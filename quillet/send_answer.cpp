#include "quillet/send_answer.h"

#include <string_view>

#include "quillet/text_echo.h"

namespace {

constexpr std::u16string_view kSent = u"+CMGS:";
constexpr std::u16string_view kSmsError = u"+CMS ERROR:";
constexpr std::u16string_view kError = u"ERROR";

bool StartsWith(std::u16string_view line, std::u16string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

// "+CMGS: 12" carries the message reference; a modem may leave out the space.
bool IsSentLine(std::u16string_view line) {
    if (!StartsWith(line, kSent)) {
        return false;
    }
    const std::size_t digit = line.find_first_not_of(u' ', kSent.size());
    return digit != std::u16string_view::npos && line[digit] >= u'0' && line[digit] <= u'9';
}

FinalResult DecideLine(std::u16string_view line) {
    if (IsSentLine(line)) {
        return FinalResult::kOk;
    }
    if (line == kError || StartsWith(line, kSmsError) || StartsWith(line, u"+CME ERROR:")) {
        return FinalResult::kError;
    }
    return FinalResult::kNone;
}

// Only complete lines decide: "+CMGS: 1" could still be "+CMGS: 12", and it is the line's end
// that tells "ERROR" from a longer word.
FinalResult DecideModemLines(std::u16string_view lines) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = lines.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) {
            return FinalResult::kNone;
        }
        const FinalResult result = DecideLine(lines.substr(start, end - start));
        if (result != FinalResult::kNone) {
            return result;
        }
        start = end + 1;
    }
}

}  // namespace

FinalResult DecidePromptAnswer(const std::u16string& answer) {
    // Searched from the second unit on, so that one standing at the very start, which does not
    // count, cannot hide a later one that does.
    if (answer.find(u'>', 1) != std::u16string::npos) {
        return FinalResult::kOk;
    }
    return answer.find(u"ERROR\r\n", 1) != std::u16string::npos || HasNumberedError(answer)
               ? FinalResult::kError
               : FinalResult::kNone;
}

FinalResult DecideResultAnswer(const std::u16string& answer,
                               const std::vector<std::uint8_t>& sent) {
    const EchoMatch echo = MatchEcho(answer, sent);
    if (echo.state == EchoState::kPartial) {
        return FinalResult::kNone;
    }
    return DecideModemLines(std::u16string_view(answer).substr(echo.end));
}
