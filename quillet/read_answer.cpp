#include "quillet/read_answer.h"

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

}  // namespace

std::optional<ReadAnswer> LocateReadAnswer(const std::u16string& answer) {
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
