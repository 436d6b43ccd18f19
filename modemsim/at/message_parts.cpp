#include "modemsim/at/message_parts.h"

#include <optional>

#include "modemlink/smscodec/gsm_text.h"
#include "platform/core/codepage.h"

namespace modemsim {

namespace {

constexpr std::size_t kGsmPerPart = 153;
constexpr std::size_t kUcs2PerPart = 67;
constexpr char16_t kGsmEscape = 0x1B;

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// How many units from `at` go into the next part without parting an escape from its code, or a
// high surrogate from the low one.
std::size_t PartLength(const std::u16string& units, std::size_t at, bool ucs2) {
    const std::size_t most = ucs2 ? kUcs2PerPart : kGsmPerPart;
    if (units.size() - at <= most) {
        return units.size() - at;
    }
    if (ucs2) {
        return IsHighSurrogate(units[at + most - 1]) ? most - 1 : most;
    }
    // A code after an escape is never an escape itself, so pairs are counted from the start.
    std::size_t length = 0;
    while (length < most) {
        const std::size_t step = units[at + length] == kGsmEscape ? 2 : 1;
        if (length + step > most) {
            break;
        }
        length += step;
    }
    return length;
}

}  // namespace

std::vector<std::string> SplitIntoParts(const std::string& utf8, bool ucs2) {
    const std::u16string text = platform::Utf8ToUtf16(utf8);
    const std::optional<std::u16string> units =
        ucs2 ? std::optional<std::u16string>(text) : TextToGsm(text);
    if (!units) {
        return {};
    }
    const std::size_t single = ucs2 ? kUcs2UnitsPerMessage : kGsmCharactersPerMessage;
    if (units->size() <= single) {
        return {utf8};
    }
    std::vector<std::string> parts;
    for (std::size_t at = 0; at < units->size();) {
        if (parts.size() == kMaxParts) {
            return {};
        }
        const std::size_t length = PartLength(*units, at, ucs2);
        const std::u16string share = units->substr(at, length);
        parts.push_back(platform::Utf16ToUtf8(ucs2 ? share : GsmToText(share)));
        at += length;
    }
    return parts;
}

PartUserData UserDataOf(const StoredSms& sms) {
    const std::vector<std::uint8_t> header = PartHeader(sms.part.value_or(MessagePart{}));
    const std::u16string text = platform::Utf8ToUtf16(sms.text);
    PartUserData data;
    if (!sms.ucs2) {
        const std::u16string codes = TextToGsm(text).value_or(u"");
        data.octets = PackSeptets(header, codes);
        data.length = HeaderSeptets(header.size()) + codes.size();
        return data;
    }
    data.octets = header;
    for (char16_t unit : text) {
        data.octets.push_back(static_cast<std::uint8_t>(unit >> 8));
        data.octets.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    }
    data.length = data.octets.size();
    return data;
}

}  // namespace modemsim
