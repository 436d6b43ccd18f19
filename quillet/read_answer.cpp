#include "quillet/read_answer.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "modemlink/smscodec/gsm_text.h"
#include "modemlink/smscodec/user_data.h"

namespace {

constexpr char16_t kHeader[] = u"+CMGR:";
constexpr char16_t kReadStatus[] = u"REC READ";
// Between the status and the sender: the status's closing quote and the sender's opening one.
constexpr char16_t kFieldBreak[] = u"\",\"";
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

// <fo>, <dcs> and <length> of the long header (fields 6, 8 and 11), when all are numbers.
struct LongHeader {
    std::uint8_t firstOctet;
    std::uint8_t codingScheme;
    std::size_t length;
    std::size_t textUnits;
};

std::optional<LongHeader> ReadLongHeader(std::u16string_view header) {
    const std::vector<std::u16string_view> fields = HeaderFields(header);
    if (fields.size() < 11) {
        return std::nullopt;
    }
    const std::optional<unsigned> fo = Number(fields[5], 255);
    const std::optional<unsigned> dcs = Number(fields[7], 255);
    const std::optional<unsigned> length = Number(fields[10], 65535);
    if (!fo || !dcs || !length) {
        return std::nullopt;
    }
    LongHeader found{static_cast<std::uint8_t>(*fo), static_cast<std::uint8_t>(*dcs), *length,
                     *length};
    const bool septets = AlphabetOfCodingScheme(found.codingScheme) == SmsAlphabet::kGsm7;
    if (septets && (found.firstOctet & kHeaderIndication) != 0) {
        found.textUnits = 2 * ((*length * 7 + 7) / 8);  // the hex of the packed octets
    } else if (!septets) {
        found.textUnits = *length * 2;
    }
    return found;
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

// Calls `look` with each line that a line feed has ended, without its CRs, and the units it took
// with them: a final result counts only once its line has ended as the modem ends it.
template <typename Look>
void ForEachCompleteLine(std::u16string_view text, Look&& look) {
    std::size_t start = 0;
    for (std::size_t end = text.find(u'\n'); end != std::u16string_view::npos;
         start = end + 1, end = text.find(u'\n', start)) {
        std::u16string_view line = text.substr(start, end - start);
        const std::size_t first = line.find_first_not_of(u'\r');
        line = first == std::u16string_view::npos ? std::u16string_view() : line.substr(first);
        look(line.substr(0, line.find_last_not_of(u'\r') + 1), end + 1 - start);
    }
}

bool StartsWith(std::u16string_view line, std::u16string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

bool IsNumberedError(std::u16string_view line) {
    return StartsWith(line, u"+CMS ERROR:") || StartsWith(line, u"+CME ERROR:");
}

// "+CMS ERROR: 321", or the text form of AT+CMEE=2 in whatever case the module writes it.
bool IsInvalidIndex(std::u16string_view line) {
    std::u16string reason(line.substr(std::min(line.size(), std::size_t{11})));
    for (char16_t& unit : reason) {
        unit = unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
    }
    const std::size_t first = reason.find_first_not_of(u' ');
    return StartsWith(line, u"+CMS ERROR:") && first != std::u16string::npos &&
           (reason.substr(first) == u"321" || reason.find(u"invalid memory index") != reason.npos ||
            reason.find(u"invalid index") != reason.npos);
}

// The modem's echo of the command line.
bool IsEcho(std::u16string_view line) {
    return StartsWith(line, u"AT") || StartsWith(line, u"at");
}

}  // namespace

std::optional<ReadAnswer> LocateStoredMessage(const std::u16string& answer, Lengths lengths) {
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
    if (status >= headerEnd || answer[status] != u'"') {
        return std::nullopt;
    }
    const std::size_t statusEnd = answer.find(kFieldBreak, status + 1);
    if (statusEnd == std::u16string::npos || statusEnd > headerEnd) {
        return std::nullopt;
    }
    ReadAnswer found;
    found.headerStart = header;
    found.headerLength = headerEnd - header;
    found.status = answer.substr(status + 1, statusEnd - status - 1);
    found.numberStart = statusEnd + Length(kFieldBreak);
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
        found.firstOctet = longHeader->firstOctet;
        found.codingScheme = longHeader->codingScheme;
        found.dataLength = longHeader->length;
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

std::optional<ReadAnswer> LocateReadAnswer(const std::u16string& answer) {
    std::optional<ReadAnswer> found = LocateStoredMessage(answer);
    if (found && found->status != kReadStatus) {
        return std::nullopt;
    }
    return found;
}

std::u16string MessageFingerprint(const std::u16string& answer, const ReadAnswer& found) {
    // From the sender's opening quote: the status stands before it.
    const std::size_t from = found.numberStart - 1;
    const std::size_t headerEnd = found.headerStart + found.headerLength;
    return answer.substr(from, headerEnd - from) + answer.substr(found.bodyStart, found.bodyLength);
}

SlotAnswer DecideSlotAnswer(const std::u16string& answer) {
    if (LocateStoredMessage(answer)) {
        return SlotAnswer::kMessage;
    }
    const std::size_t header = answer.find(kHeader);
    if (header != std::u16string::npos) {
        return SlotAnswer::kUndecided;
    }
    // From the second unit on: an ERROR at the very start does not count, nor hide a later one.
    SlotAnswer decided = answer.find(kError, 1) != std::u16string::npos ? SlotAnswer::kError
                                                                        : SlotAnswer::kUndecided;
    ForEachCompleteLine(answer, [&](std::u16string_view line, std::size_t) {
        if (decided != SlotAnswer::kUndecided) {
            return;
        }
        if (line == u"OK") {
            decided = SlotAnswer::kEmpty;
        } else if (IsInvalidIndex(line)) {
            decided = SlotAnswer::kNoSuchSlot;
        } else if (IsNumberedError(line)) {
            decided = SlotAnswer::kError;
        }
    });
    return decided;
}

std::size_t AnswerProgress(const std::u16string& answer) {
    const std::size_t header = std::min(answer.find(kHeader), answer.size());
    std::size_t notAnswer = 0;
    ForEachCompleteLine(std::u16string_view(answer).substr(0, header),
                        [&](std::u16string_view line, std::size_t rawLength) {
                            if (!IsEcho(line)) {
                                notAnswer += rawLength;  // with its line breaks, even if empty
                            }
                        });
    return answer.size() - notAnswer;
}
