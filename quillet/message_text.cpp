#include "quillet/message_text.h"

#include "modemlink/gsm_text.h"

std::u16string DecodeMessageText(const std::u16string& body,
                                 std::optional<std::uint8_t> codingScheme) {
    // A header without the scheme (a module that ignored AT+CSDH=1) means the GSM alphabet.
    switch (codingScheme ? AlphabetOfCodingScheme(*codingScheme) : SmsAlphabet::kGsm7) {
        case SmsAlphabet::kGsm7:
            return GsmToText(body);
        case SmsAlphabet::kUcs2:
            return Ucs2HexToText(body).value_or(body);
        case SmsAlphabet::kEightBit:
            return body;
    }
    return body;
}

namespace {

// The box gives CR LF; a module takes a CR in the text as the end of a line of entry and prompts
// again, and a recipient wants one line break, not two characters.
std::u16string OneLineFeedPerBreak(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r') {
            out.push_back(text[i]);
        } else if (i + 1 == text.size() || text[i + 1] != u'\n') {
            out.push_back(u'\n');
        }
    }
    return out;
}

}  // namespace

OutgoingText PlanOutgoingText(const std::u16string& boxText) {
    const std::u16string text = OneLineFeedPerBreak(boxText);
    OutgoingText planned;
    if (std::optional<std::u16string> codes = TextToGsmBasic(text)) {
        planned.tooLong = codes->size() > kGsmCharactersPerMessage;
        planned.payload = std::move(*codes);
        return planned;
    }
    planned.ucs2 = true;
    planned.tooLong = text.size() > kUcs2UnitsPerMessage;
    planned.payload = TextToUcs2Hex(text);
    return planned;
}
