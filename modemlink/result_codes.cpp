#include "modemlink/result_codes.h"

#include <algorithm>
#include <optional>
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

struct ReportLine {
    std::u16string_view text;
    std::u16string_view small;  // V.250 codes come in capitals or, from some modules, all small
    bool prefix;                // the line starts with it; else the line is it
    CallReport report;
    bool causeDecides;
};

// clang-format off
constexpr ReportLine kReportLines[] = {
    {u"NO CARRIER",   u"no carrier",   false, CallReport::kEnded,      false},
    {u"^CEND:",       u"^cend:",       true,  CallReport::kEnded,      true},
    {u"HANGUP:",      u"hangup:",      true,  CallReport::kEnded,      false},
    {u"MISSED_CALL:", u"missed_call:", true,  CallReport::kEnded,      false},
    {u"CONNECT",      u"connect",      false, CallReport::kConnected,  false},
    {u"CONNECT ",     u"connect ",     true,  CallReport::kConnected,  false},
    {u"^CONN:",       u"^conn:",       true,  CallReport::kConnected,  false},
    {u"BUSY",         u"busy",         false, CallReport::kBusy,       false},
    {u"NO ANSWER",    u"no answer",    false, CallReport::kNoAnswer,   false},
    {u"NO DIALTONE",  u"no dialtone",  false, CallReport::kNoDialTone, false},
    {u"NO DIAL TONE", u"no dial tone", false, CallReport::kNoDialTone, false},
};
// clang-format on

bool Matches(std::u16string_view line, std::u16string_view text, bool prefix) {
    return prefix ? line.substr(0, text.size()) == text : line == text;
}

// ^CEND:<id>,<duration>,<end status>,<cause>: the cause (3GPP TS 24.008) says why a call never
// connected.
CallReport ByCause(std::u16string_view line, CallReport report) {
    std::size_t field = 0;
    std::size_t at = 0;
    while (field < 3 && (at = line.find(u',', at)) != std::u16string_view::npos) {
        ++field;
        ++at;
    }
    if (field < 3) {
        return report;
    }
    const std::u16string_view cause = line.substr(at);
    if (cause == u"17") {
        return CallReport::kBusy;
    }
    if (cause == u"18" || cause == u"19") {
        return CallReport::kNoAnswer;
    }
    return report;
}

std::optional<CallReport> ReportOf(std::u16string_view line) {
    for (const ReportLine& known : kReportLines) {
        if (Matches(line, known.text, known.prefix) || Matches(line, known.small, known.prefix)) {
            return known.causeDecides ? ByCause(line, known.report) : known.report;
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<CallReport> CallReportsOfLines(std::u16string_view chunk) {
    std::vector<CallReport> reports;
    std::size_t start = 0;
    while (start < chunk.size()) {
        const std::size_t end = std::min(chunk.find_first_of(u"\r\n", start), chunk.size());
        if (const std::optional<CallReport> report = ReportOf(chunk.substr(start, end - start))) {
            reports.push_back(*report);
        }
        start = end + 1;
    }
    return reports;
}

FinalResult DecideFinalResult(const std::u16string& response) {
    if (HasNumberedError(response)) {
        return FinalResult::kError;
    }
    for (const FinalCode& code : kFinalCodes) {
        if (Contains(response, code.text)) {
            return code.result;
        }
    }
    return FinalResult::kNone;
}

bool HasNumberedError(std::u16string_view text) {
    for (const std::u16string_view prefix : {u"+CME ERROR:", u"+CMS ERROR:"}) {
        for (std::size_t at = text.find(prefix); at != std::u16string_view::npos;
             at = text.find(prefix, at + 1)) {
            // At a line's start, and ended: the text after the colon may be long.
            const bool lineStart = at == 0 || text[at - 1] == u'\n' || text[at - 1] == u'\r';
            if (lineStart && text.find(u"\r\n", at) != std::u16string_view::npos) {
                return true;
            }
        }
    }
    return false;
}

bool HasSimError(std::u16string_view text) {
    const struct {
        std::u16string_view prefix;
        int first;
    } kinds[] = {{u"+CME ERROR: ", 10}, {u"+CMS ERROR: ", 310}};
    for (const auto& kind : kinds) {
        for (std::size_t at = text.find(kind.prefix); at != std::u16string_view::npos;
             at = text.find(kind.prefix, at + 1)) {
            const std::size_t end = text.find(u'\r', at);
            if (end == std::u16string_view::npos) {
                continue;
            }
            const std::u16string_view reason =
                text.substr(at + kind.prefix.size(), end - at - kind.prefix.size());
            if (reason.find(u"SIM") != std::u16string_view::npos) {
                return true;
            }
            int code = 0;
            std::size_t digits = 0;
            for (; digits < reason.size() && digits < 4 && reason[digits] >= u'0' &&
                   reason[digits] <= u'9';
                 ++digits) {
                code = code * 10 + (reason[digits] - u'0');
            }
            if (digits == reason.size() && digits > 0 && code >= kind.first &&
                code <= kind.first + 8) {
                return true;
            }
        }
    }
    return false;
}

std::optional<CallReport> CallReportOfLine(std::u16string_view line) {
    return ReportOf(line);
}

bool IsRingLine(std::u16string_view line) {
    return line == u"RING" || line == u"ring" || line.substr(0, 7) == u"+CRING:";
}

bool IsCallerLine(std::u16string_view line) {
    return line.substr(0, 6) == u"+CLIP:";
}

bool IsRefusalLine(std::u16string_view line) {
    return line == u"ERROR" || line == u"error" || line.substr(0, 11) == u"+CME ERROR:" ||
           line.substr(0, 11) == u"+CMS ERROR:";
}

std::size_t FinalResultEnd(std::u16string_view answer) {
    std::size_t start = 0;
    for (std::size_t end = answer.find(u'\n'); end != std::u16string_view::npos;
         start = end + 1, end = answer.find(u'\n', start)) {
        std::u16string_view line = answer.substr(start, end - start);
        while (!line.empty() && line.back() == u'\r') {
            line.remove_suffix(1);
        }
        while (!line.empty() && line.front() == u'\r') {
            line.remove_prefix(1);
        }
        if (line == u"OK" || line == u"ok" || IsRefusalLine(line)) {
            return end + 1;
        }
    }
    return std::u16string_view::npos;
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
