#include "quillet/message_text.h"

#include <vector>

#include "modemlink/smscodec/gsm_text.h"

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

// The GSM codes after the header: as many as <length> says when it fits the octets, else every
// whole septet. The octets alone leave it open when the last octet has 7 spare bits: the sender
// then pads with CR (or leaves a 0, which would read as "@").
std::u16string TextCodes(const std::vector<std::uint8_t>& userData, std::size_t headerOctets,
                         std::optional<std::size_t> dataLength) {
    const std::size_t skipped = HeaderSeptets(headerOctets);
    if (dataLength && *dataLength >= skipped && (*dataLength * 7 + 7) / 8 == userData.size()) {
        return UnpackSeptets(userData, headerOctets, *dataLength - skipped);
    }
    std::u16string codes = UnpackSeptets(userData, headerOctets);
    const std::size_t septets = userData.size() * 8 / 7;
    const bool sparePadding =
        (septets - 1) * 7 / 8 + 1 == userData.size() && (septets - 1) * 7 % 8 != 0;
    if (sparePadding && !codes.empty() && (codes.back() == u'\r' || codes.back() == u'\0')) {
        codes.pop_back();
    }
    return codes;
}

}  // namespace

ReceivedText DecodeReceivedText(const std::u16string& body, std::optional<std::uint8_t> firstOctet,
                                std::optional<std::uint8_t> codingScheme,
                                std::optional<std::size_t> dataLength) {
    if (!firstOctet || (*firstOctet & kHeaderIndication) == 0) {
        return {DecodeMessageText(body, codingScheme), std::nullopt};
    }
    const std::optional<std::vector<std::uint8_t>> userData = HexToOctets(body);
    const std::optional<UserDataHeader> header =
        userData ? ReadUserDataHeader(*userData) : std::nullopt;
    if (!header) {
        return {body, std::nullopt};
    }
    const std::vector<std::uint8_t>& octets = *userData;
    switch (codingScheme ? AlphabetOfCodingScheme(*codingScheme) : SmsAlphabet::kGsm7) {
        case SmsAlphabet::kGsm7:
            return {GsmToText(TextCodes(octets, header->octets, dataLength)), header->part};
        case SmsAlphabet::kUcs2:
            return {OctetsToUcs2(octets, header->octets), header->part};
        case SmsAlphabet::kEightBit:
            break;
    }
    return {
        OctetsToHex({octets.begin() + static_cast<std::ptrdiff_t>(header->octets), octets.end()}),
        header->part};
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
