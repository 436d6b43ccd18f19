#include "quillet/text_echo.h"

namespace {

bool IsLineBreak(char16_t unit) {
    return unit == u'\r' || unit == u'\n';
}

bool AtLineStart(const std::u16string& answer, std::size_t position) {
    return position == 0 || IsLineBreak(answer[position - 1]);
}

std::size_t StartOfLine(const std::u16string& answer, std::size_t position) {
    while (!AtLineStart(answer, position)) {
        --position;
    }
    return position;
}

// The "> " prompt at a line start, or its space alone at the very start: the prompt phase may
// have ended on a chunk that held only the ">".
std::size_t PromptLength(const std::u16string& answer, std::size_t position) {
    if (!AtLineStart(answer, position)) {
        return 0;
    }
    if (answer[position] == u'>') {
        const bool space = position + 1 < answer.size() && answer[position + 1] == u' ';
        return space ? 2 : 1;
    }
    return position == 0 && answer[position] == u' ' ? 1 : 0;
}

}  // namespace

EchoMatch MatchEcho(const std::u16string& answer, const std::vector<std::uint8_t>& sent) {
    std::size_t at = 0;
    std::size_t next = 0;  // the next sent byte to be echoed
    while (at < answer.size() && next < sent.size()) {
        if (sent[next] == '\n' && answer[at] == u'\r') {
            // A module may echo a line break of the text as CR LF, or as CR alone.
            if (at + 1 == answer.size()) {
                return {EchoState::kPartial, answer.size()};
            }
            at += answer[at + 1] == u'\n' ? 2U : 1U;
            ++next;
        } else if (answer[at] == sent[next]) {
            ++at;
            ++next;
        } else if (const std::size_t prompt = PromptLength(answer, at); prompt > 0) {
            at += prompt;
        } else {
            return {EchoState::kDiverged, StartOfLine(answer, at)};
        }
    }
    if (next < sent.size()) {
        return {EchoState::kPartial, answer.size()};
    }
    return {EchoState::kComplete, at};
}
