#include "modemlink/result_codes.h"

#include <algorithm>
#include <string_view>

namespace {

struct FinalCode {
    const char16_t* text;
    FinalResult result;
};

// Examined in this order: an error anywhere in the answer beats an OK.
constexpr FinalCode kFinalCodes[] = {
    {u"ERROR\r\n", FinalResult::kError},
    {u"error\r\n", FinalResult::kError},
    {u"OK\r\n", FinalResult::kOk},
    {u"ok\r\n", FinalResult::kOk},
};

bool Contains(const std::u16string& text, const char16_t* code) {
    return text.find(code) != std::u16string::npos;
}

struct FailureLine {
    std::u16string_view line;
    CallFailure failure;
};

constexpr FailureLine kFailureLines[] = {
    {u"BUSY", CallFailure::kBusy},
    {u"busy", CallFailure::kBusy},
    {u"NO ANSWER", CallFailure::kNoAnswer},
    {u"no answer", CallFailure::kNoAnswer},
    {u"NO DIALTONE", CallFailure::kNoDialTone},
    {u"no dialtone", CallFailure::kNoDialTone},
    {u"NO DIAL TONE", CallFailure::kNoDialTone},
    {u"no dial tone", CallFailure::kNoDialTone},
};

std::vector<CallFailure> FailureLines(std::u16string_view chunk) {
    std::vector<CallFailure> failures;
    std::size_t start = 0;
    while (start < chunk.size()) {
        const std::size_t end = std::min(chunk.find_first_of(u"\r\n", start), chunk.size());
        const std::u16string_view line = chunk.substr(start, end - start);
        for (const FailureLine& known : kFailureLines) {
            if (line == known.line) {
                failures.push_back(known.failure);
            }
        }
        start = end + 1;
    }
    return failures;
}

}  // namespace

FinalResult DecideFinalResult(const std::u16string& response) {
    for (const FinalCode& code : kFinalCodes) {
        if (Contains(response, code.text)) {
            return code.result;
        }
    }
    return FinalResult::kNone;
}

UnsolicitedCodes ScanUnsolicited(const std::u16string& chunk) {
    UnsolicitedCodes codes;
    codes.ring = Contains(chunk, u"RING") || Contains(chunk, u"ring");
    codes.noCarrier = Contains(chunk, u"NO CARRIER") || Contains(chunk, u"no carrier");
    codes.failures = FailureLines(chunk);
    return codes;
}

std::u16string CallerNumber(const std::u16string& text) {
    static const std::u16string kClip = u"+CLIP: \"";
    const std::size_t start = text.find(kClip);
    if (start == std::u16string::npos) {
        return {};
    }
    const std::size_t numberStart = start + kClip.size();
    // The closing quote on the same line: a quote on a later line would take that line's text in.
    const std::size_t end = text.find_first_of(u"\"\r\n", numberStart);
    if (end == std::u16string::npos || text[end] != u'"') {
        return {};
    }
    return text.substr(numberStart, end - numberStart);
}

std::optional<std::u16string> CommandLineText(const std::u16string& text) {
    std::u16string line;
    line.reserve(text.size());
    for (char16_t unit : text) {
        if (unit >= u'０' && unit <= u'９') {
            unit = static_cast<char16_t>(u'0' + (unit - u'０'));
        } else if (unit == u'＋' || unit == u'＊' || unit == u'＃') {
            unit = static_cast<char16_t>(unit - 0xFEE0);  // the full-width block mirrors ASCII
        } else if (unit == u'\u3000') {
            unit = u' ';
        } else if (unit < 0x20 || unit > 0x7E) {
            return std::nullopt;
        }
        line.push_back(unit);
    }
    return line;
}

std::vector<std::uint8_t> EncodeLine(const std::u16string& text, const std::string& terminator) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() + terminator.size());
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    }
    bytes.insert(bytes.end(), terminator.begin(), terminator.end());
    return bytes;
}
