#include "modemlink/message_reports.h"

#include "modemlink/result_codes.h"

namespace {

constexpr std::u16string_view kStoredPrefix = u"+CMTI:";
constexpr std::u16string_view kRoutedPrefix = u"+CMT:";

bool StartsWith(std::u16string_view line, std::u16string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

struct StateLine {
    std::u16string_view text;
    MessageReportKind kind;
};

constexpr StateLine kStateLines[] = {
    {u"SMS Ready", MessageReportKind::kReady},     {u"Call Ready", MessageReportKind::kReady},
    {u"SMS DONE", MessageReportKind::kReady},      {u"PB DONE", MessageReportKind::kReady},
    {u"+CPIN: READY", MessageReportKind::kReady},  {u"RDY", MessageReportKind::kReset},
    {u"^SYSSTART", MessageReportKind::kReset},
};

bool IsCallLine(std::u16string_view line) {
    return IsRingLine(line) || IsCallerLine(line) || CallReportOfLine(line).has_value();
}

// A whole line that reports the module's state, or nothing.
std::optional<MessageReportKind> StateOf(std::u16string_view line) {
    for (const StateLine& known : kStateLines) {
        if (line == known.text) {
            return known.kind;
        }
    }
    return std::nullopt;
}

std::u16string_view WithoutCrs(std::u16string_view line) {
    const std::size_t first = line.find_first_not_of(u'\r');
    if (first == std::u16string_view::npos) {
        return {};
    }
    const std::size_t last = line.find_last_not_of(u'\r');
    return line.substr(first, last + 1 - first);
}

// Could this unfinished line still become a report? "+CM" could, "RI" could not.
bool MayBeReport(std::u16string_view partial) {
    const std::u16string_view line = WithoutCrs(partial);
    if (line.empty()) {
        return false;
    }
    const std::u16string_view shorter = line.size() < kRoutedPrefix.size() ? line : kRoutedPrefix;
    const std::u16string_view longer = line.size() < kRoutedPrefix.size() ? kRoutedPrefix : line;
    return StartsWith(longer, shorter);
}

// The lines of a command's own answer that stand between a header or prompt and its result.
bool StartsOwnText(std::u16string_view line) {
    return StartsWith(line, u"+CMGR:") || StartsWith(line, u"+CMGL:") || StartsWith(line, u"> ");
}

bool EndsOwnText(std::u16string_view line) {
    return line == u"OK" || line == u"ERROR" || StartsWith(line, u"+CMS ERROR:") ||
           StartsWith(line, u"+CME ERROR:") || StartsWith(line, u"+CMGS:");
}

}  // namespace

std::vector<MessageReport> ReportLines::Add(std::u16string_view chunk, platform::TimePoint now) {
    std::vector<MessageReport> reports;
    GiveUpLateText(now, reports);
    if (!m_partial.empty() && now - m_lastAt >= kTextWait) {
        m_partial.clear();  // a line that never ended: nothing of it joins what comes now
    }
    m_lastAt = now;
    for (const char16_t unit : chunk) {
        if (unit != u'\n') {
            if (!m_overlong) {
                m_partial.push_back(unit);
            }
            if (m_partial.size() > kMaxLine) {
                m_partial.clear();
                m_overlong = true;
            }
            continue;
        }
        if (!m_overlong) {
            TakeLine(std::u16string(WithoutCrs(m_partial)), reports);
        }
        m_partial.clear();
        m_overlong = false;
        if (m_routedHeader) {
            m_headerAt = now;  // its text line is the next one, whenever that ends
        }
    }
    return reports;
}

std::size_t ReportLines::TakeOwed(std::u16string_view chunk, platform::TimePoint now,
                                  std::vector<MessageReport>& reports) {
    GiveUpLateText(now, reports);
    if (!MayBeReport(m_partial) && !m_routedHeader) {
        m_partial.clear();
        m_overlong = false;
        return 0;
    }
    std::size_t taken = 0;
    while (taken < chunk.size() && (m_routedHeader || MayBeReport(m_partial))) {
        const std::size_t end = chunk.find(u'\n', taken);
        const std::size_t next = end == std::u16string_view::npos ? chunk.size() : end + 1;
        std::vector<MessageReport> completed = Add(chunk.substr(taken, next - taken), now);
        reports.insert(reports.end(), completed.begin(), completed.end());
        taken = next;
    }
    return taken;
}

void ReportLines::TakeLine(std::u16string line, std::vector<MessageReport>& reports) {
    if (m_routedHeader) {
        reports.push_back({MessageReportKind::kRouted, *m_routedHeader + u"\r\n" + line});
        m_routedHeader.reset();
    } else if (StartsWith(line, kStoredPrefix)) {
        reports.push_back({MessageReportKind::kStored, std::move(line)});
    } else if (StartsWith(line, kRoutedPrefix)) {
        m_routedHeader = std::move(line);
    } else if (const std::optional<MessageReportKind> state = StateOf(line)) {
        reports.push_back({*state, std::move(line)});
    } else if (IsCallLine(line)) {
        reports.push_back({MessageReportKind::kCall, std::move(line)});
    }
}

void ReportLines::GiveUpLateText(platform::TimePoint now, std::vector<MessageReport>& reports) {
    if (m_routedHeader && m_partial.empty() && now - m_headerAt >= kTextWait) {
        reports.push_back({MessageReportKind::kRouted, *m_routedHeader + u"\r\n"});
        m_routedHeader.reset();
    }
}

std::vector<MessageReport> MessageReportsInAnswer(std::u16string_view answer) {
    std::vector<MessageReport> reports;
    bool ownText = false;
    std::optional<std::u16string> routedHeader;
    const std::size_t resultEnd = FinalResultEnd(answer);
    std::size_t start = 0;
    for (std::size_t end = answer.find(u'\n'); end != std::u16string_view::npos;
         start = end + 1, end = answer.find(u'\n', start)) {
        const std::u16string_view line = WithoutCrs(answer.substr(start, end - start));
        if (routedHeader) {
            reports.push_back({MessageReportKind::kRouted, *routedHeader + u"\r\n" +
                                                               std::u16string(line)});
            routedHeader.reset();
        } else if (ownText) {
            ownText = !EndsOwnText(line);
        } else if (StartsOwnText(line)) {
            ownText = true;
        } else if (StartsWith(line, kStoredPrefix)) {
            reports.push_back({MessageReportKind::kStored, std::u16string(line)});
        } else if (StartsWith(line, kRoutedPrefix)) {
            routedHeader = std::u16string(line);
        } else if (const std::optional<MessageReportKind> state = StateOf(line)) {
            reports.push_back({*state, std::u16string(line)});
        } else if (resultEnd != std::u16string_view::npos && start >= resultEnd &&
                   IsCallLine(line)) {
            reports.push_back({MessageReportKind::kCall, std::u16string(line)});
        }
    }
    if (routedHeader) {
        reports.push_back({MessageReportKind::kRouted, *routedHeader + u"\r\n"});
    }
    return reports;
}
