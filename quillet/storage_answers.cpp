#include "quillet/storage_answers.h"

#include <algorithm>

#include "modemlink/smscodec/gsm_text.h"
#include "quillet/read_answer.h"

namespace {

// Reads an answer's fields from just after its prefix; every step fails softly.
class Fields {
public:
    Fields(const std::u16string& answer, std::u16string_view prefix) : m_text(answer) {
        const std::size_t at = answer.find(prefix);
        m_at = at == std::u16string::npos ? answer.size() : at + prefix.size();
        m_ok = at != std::u16string::npos;
        while (m_at < m_text.size() && m_text[m_at] == u' ') {
            ++m_at;
        }
    }

    bool Ok() const { return m_ok; }
    bool At(char16_t unit) const { return m_at < m_text.size() && m_text[m_at] == unit; }
    bool Skip(char16_t unit) {
        m_ok = m_ok && At(unit);
        m_at += m_ok ? 1 : 0;
        return m_ok;
    }
    // Up to five digits, at most 65535.
    std::int32_t Number() {
        std::int32_t value = 0;
        std::size_t digits = 0;
        for (; m_ok && m_at < m_text.size() && m_text[m_at] >= u'0' && m_text[m_at] <= u'9';
             ++m_at, ++digits) {
            value = digits < 6 ? value * 10 + (m_text[m_at] - u'0') : value;
        }
        m_ok = m_ok && digits > 0 && digits <= 5 && value <= 65535;
        return value;
    }
    // A quoted name in upper case; empty when the field is not quoted.
    std::u16string Name() {
        if (!At(u'"')) {
            return {};
        }
        const std::size_t end = m_text.find(u'"', m_at + 1);
        const std::size_t lineEnd = std::min(m_text.find(u'\r', m_at), m_text.find(u'\n', m_at));
        if (end == std::u16string::npos || end > lineEnd || end - m_at > 9) {
            m_ok = false;
            return {};
        }
        std::u16string name = m_text.substr(m_at + 1, end - m_at - 1);
        for (char16_t& unit : name) {
            unit = unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
        }
        m_at = end + 1;
        return name;
    }

private:
    const std::u16string& m_text;
    std::size_t m_at = 0;
    bool m_ok = false;
};

std::optional<StorageUse> ReadStorage(Fields& fields) {
    StorageUse use;
    use.name = fields.Name();
    if (!use.name.empty()) {
        fields.Skip(u',');
    }
    use.used = fields.Number();
    fields.Skip(u',');
    use.total = fields.Number();
    if (!fields.Ok() || use.used > use.total) {
        return std::nullopt;
    }
    return use;
}

}  // namespace

std::optional<std::vector<StorageUse>> ParseStorageUse(const std::u16string& answer) {
    Fields fields(answer, u"+CPMS:");
    std::vector<StorageUse> storages;
    do {
        const std::optional<StorageUse> use = ReadStorage(fields);
        if (!use) {
            return std::nullopt;
        }
        const bool seen = std::any_of(storages.begin(), storages.end(), [&](const StorageUse& s) {
            return s.name == use->name;
        });
        if (!seen) {
            storages.push_back(*use);
        }
    } while (storages.size() < 3 && fields.At(u',') && fields.Skip(u','));
    return storages;
}

std::optional<IndexRange> ParseIndexRange(const std::u16string& answer) {
    Fields fields(answer, u"+CMGD:");
    fields.Skip(u'(');
    IndexRange range;
    range.first = fields.Number();
    range.last = range.first;
    while (fields.Ok() && (fields.At(u',') || fields.At(u'-'))) {
        fields.Skip(fields.At(u',') ? u',' : u'-');
        range.last = std::max(range.last, fields.Number());
    }
    fields.Skip(u')');
    return fields.Ok() ? std::optional<IndexRange>(range) : std::nullopt;
}

std::optional<std::int32_t> ParseArrivalMode(const std::u16string& answer) {
    Fields fields(answer, u"+CNMI:");
    fields.Number();
    fields.Skip(u',');
    const std::int32_t mt = fields.Number();
    return fields.Ok() ? std::optional<std::int32_t>(mt) : std::nullopt;
}

std::optional<SlotPlace> ParseStoredReport(const std::u16string& report) {
    Fields fields(report, u"+CMTI:");
    SlotPlace place;
    place.storage = fields.Name();
    if (!place.storage.empty() || fields.At(u',')) {
        fields.Skip(u',');
    }
    place.index = fields.Number();
    return fields.Ok() ? std::optional<SlotPlace>(place) : std::nullopt;
}

std::optional<RoutedMessage> ParseRoutedReport(const std::u16string& report) {
    constexpr std::u16string_view kPrefix = u"+CMT:";
    if (report.compare(0, kPrefix.size(), kPrefix) != 0) {
        return std::nullopt;
    }
    // Read as the stored message it would have been: +CMGR's header has the status in front.
    const std::size_t rest = report.find_first_not_of(u' ', kPrefix.size());
    const std::u16string answer = u"+CMGR: \"REC UNREAD\"," +
                                  report.substr(std::min(rest, report.size())) + u"\r\n\r\nOK\r\n";
    const std::optional<ReadAnswer> found = LocateStoredMessage(answer, Lengths::kIgnore);
    if (!found) {
        return std::nullopt;
    }
    RoutedMessage message;
    message.sender = GsmToText(answer.substr(found->numberStart, found->numberLength));
    message.text = DecodeReceivedText(answer.substr(found->bodyStart, found->bodyLength),
                                      found->firstOctet, found->codingScheme, found->dataLength);
    message.fingerprint = MessageFingerprint(answer, *found);
    return message;
}
