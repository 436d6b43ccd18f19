// The caller's number of a ring and the call reports of a text's lines,
// over arbitrary text.
// The number is the field between the quotes of the first "+CLIP: " line: never a quote, never a
// line break, always standing right after that line's opening quote. Each input byte is one UTF-16
// unit (0-255, NUL included).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "modemlink/modem.h"
#include "modemlink/result_codes.h"

namespace {

const std::u16string kClip = u"+CLIP: \"";

void CheckNumber(const std::u16string& text) {
    const std::u16string number = CallerNumber(text);
    Require(CModem::ParseCallerId(text) == number, "the channel parses as CallerNumber does");
    Require(number.find(u'"') == std::u16string::npos, "the number holds no quote");
    Require(number.find_first_of(u"\r\n") == std::u16string::npos,
            "the number stays within its line");
    const std::size_t line = text.find(kClip);
    if (line == std::u16string::npos) {
        Require(number.empty(), "no number without a +CLIP line");
        return;
    }
    const std::size_t start = line + kClip.size();
    if (!number.empty()) {
        Require(text.compare(start, number.size(), number) == 0,
                "the number is the first +CLIP line's field");
        Require(start + number.size() < text.size() && text[start + number.size()] == u'"',
                "the number ends at its closing quote");
    }
}

// Call reports are whole lines: cut at a line end, the text's reports are the head's, then the
// tail's.
void CheckCodes(const std::u16string& text, std::size_t cut) {
    const std::vector<CallReport> whole = CallReportsOfLines(text);
    if (cut == 0 || text[cut - 1] == u'\r' || text[cut - 1] == u'\n') {
        std::vector<CallReport> joined = CallReportsOfLines(std::u16string_view(text).substr(0, cut));
        const std::vector<CallReport> tail = CallReportsOfLines(std::u16string_view(text).substr(cut));
        joined.insert(joined.end(), tail.begin(), tail.end());
        Require(joined == whole, "cut at a line end, the reports are the parts' in order");
    }
    Require(whole.size() <= text.size() / 4 + 1, "a report takes a line of its own");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text(data, data + size);
    CheckNumber(text);
    CheckCodes(text, size == 0 ? 0 : data[0] % (size + 1));
    return 0;
}
