#include "quillet/read_answer.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "modemlink/gsm_text.h"

namespace {

constexpr char16_t kHeader[] = u"+CMGR:";
// The status field and the opening quote of the sender field.
constexpr char16_t kReadStatus[] = u"\"REC READ\",\"";
constexpr char16_t kLineEnd[] = u"\r\n";
constexpr char16_t kClosing[] = u"\r\n\r\nOK\r\n";
constexpr char16_t kError[] = u"ERROR\r\n";

constexpr std::size_t Length(const char16_t* text) {
    return std::char_traits<char16_t>::length(text);
}

// The header's fields from <stat> on, split at the commas outside quotes: the time stamp
// "26/12/06,21:30:00+32" holds one.
std::vector<std::u16string_view> HeaderFields(std::u16string_view header) {
    std::vector<std::u16string_view> fields;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= header.size(); ++i) {
        if (i == header.size() || (header[i] == u',' && !quoted)) {
            fields.push_back(header.substr(start, i - start));
            start = i + 1;
        } else if (header[i] == u'"') {
            quoted = !quoted;
        }
    }
    return fields;
}

std::optional<unsigned> Number(std::u16string_view field, unsigned limit) {
    if (field.empty() || field.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char16_t unit : field) {
        if (unit < u'0' || unit > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (unit - u'0');
    }
    return value <= limit ? std::optional<unsigned>(value) : std::nullopt;
}

// <dcs> and <length> of the long header (fields 8 and 11), when both are numbers.
struct LongHeader {
    std::uint8_t codingScheme;
    std::size_t textUnits;
};

std::optional<LongHeader> ReadLongHeader(std::u16string_view header) {
    const std::vector<std::u16string_view> fields = HeaderFields(header);
    if (fields.size() < 11) {
        return std::nullopt;
    }
    const std::optional<unsigned> dcs = Number(fields[7], 255);
    const std::optional<unsigned> length = Number(fields[10], 65535);
    if (!dcs || !length) {
        return std::nullopt;
    }
    const bool octets =
        AlphabetOfCodingScheme(static_cast<std::uint8_t>(*dcs)) != SmsAlphabet::kGsm7;
    return LongHeader{static_cast<std::uint8_t>(*dcs), octets ? *length * 2 : *length};
}

enum class LengthFit { kComplete, kWaiting, kMismatch };

// Whether the text of known length is followed by its line end and an "OK" line. The answer of a
// module that counts otherwise has something else at that place: kMismatch.
LengthFit FitLength(const std::u16string& answer, std::size_t textEnd) {
    const std::u16string_view rest =
        std::u16string_view(answer).substr(std::min(textEnd, answer.size()));
    const std::u16string_view lineEnd = kLineEnd;
    if (rest.size() < lineEnd.size()) {
        return lineEnd.substr(0, rest.size()) == rest ? LengthFit::kWaiting : LengthFit::kMismatch;
    }
    if (rest.substr(0, lineEnd.size()) != lineEnd) {
        return LengthFit::kMismatch;
    }
    const std::size_t ok = rest.find(u"\r\nOK\r\n");
    if (ok == std::u16string_view::npos) {
        return LengthFit::kWaiting;
    }
    // Only empty lines between the text and "OK".
    return rest.find_first_not_of(u"\r\n") == ok + 2 ? LengthFit::kComplete : LengthFit::kMismatch;
}

}  // namespace

std::optional<ReadAnswer> LocateReadAnswer(const std::u16string& answer, Lengths lengths) {
    const std::size_t header = answer.find(kHeader);
    if (header == std::u16string::npos) {
        return std::nullopt;
    }
    const std::size_t headerEnd = answer.find(kLineEnd, header);
    if (headerEnd == std::u16string::npos) {
        return std::nullopt;
    }
    // The header's own first field only: a "REC READ" further on may be the text of an unread
    // message, which anyone who sends one can choose.
    const std::size_t status = answer.find_first_not_of(u' ', header + Length(kHeader));
    if (answer.compare(status, Length(kReadStatus), kReadStatus) != 0) {
        return std::nullopt;
    }
    ReadAnswer found;
    found.numberStart = status + Length(kReadStatus);
    // From the number's first unit: an empty sender field closes right there. A quote past the
    // header line belongs to the text, so a sender field left open makes no read answer.
    const std::size_t numberEnd = answer.find(u'"', found.numberStart);
    if (numberEnd == std::u16string::npos || numberEnd > headerEnd) {
        return std::nullopt;
    }
    found.numberLength = numberEnd - found.numberStart;
    found.bodyStart = headerEnd + Length(kLineEnd);
    const std::optional<LongHeader> longHeader =
        ReadLongHeader(std::u16string_view(answer).substr(status, headerEnd - status));
    if (longHeader) {
        found.codingScheme = longHeader->codingScheme;
        found.bodyLength = longHeader->textUnits;
        switch (FitLength(answer, found.bodyStart + found.bodyLength)) {
            case LengthFit::kComplete:
                return found;
            case LengthFit::kWaiting:
                if (lengths == Lengths::kTrust) {
                    return std::nullopt;
                }
                break;
            case LengthFit::kMismatch:
                break;
        }
    }
    const std::size_t closing = answer.rfind(kClosing);
    if (closing == std::u16string::npos || closing < found.bodyStart) {
        return std::nullopt;
    }
    found.bodyLength = closing - found.bodyStart;
    return found;
}

FinalResult DecideReadAnswer(const std::u16string& answer) {
    if (LocateReadAnswer(answer)) {
        return FinalResult::kOk;
    }
    if (answer.find(kHeader) != std::u16string::npos) {
        return FinalResult::kNone;
    }
    // From the second unit on: an ERROR at the very start does not count, nor hide a later one.
    return answer.find(kError, 1) != std::u16string::npos ? FinalResult::kError
                                                          : FinalResult::kNone;
}
