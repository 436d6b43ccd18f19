#pragma once
// A message's text between the window and the modem, in the form the message travels in.
//
// Received: the text of a read answer is decoded by the message's coding scheme: GSM codes to
// characters, UCS2 hex to characters; 8-bit data stays the hex it arrived as, and so does hex
// that is malformed, so the user always sees what came.
//
// Sent: a text whose every character is in the GSM basic table travels in the GSM alphabet
// (160 characters a message); any other text (Chinese, "€", emoji) as UCS2 (70 UTF-16 units).

#include <cstdint>
#include <optional>
#include <string>

#include "modemlink/smscodec/user_data.h"

std::u16string DecodeMessageText(const std::u16string& body,
                                 std::optional<std::uint8_t> codingScheme);

// A part of a long message (<fo> with the header indication) comes as the hex of its user data:
// the header is read for the part's place, and the text after it is decoded by the scheme,
// 7-bit text from the first septet boundary after the header. `dataLength` is the header's
// <length>; a value that does not fit the octets is taken for no value. Data that is no valid
// hex, or whose header runs past it, is shown as it arrived and makes no part.
struct ReceivedText {
    std::u16string text;
    std::optional<MessagePart> part;
};
ReceivedText DecodeReceivedText(const std::u16string& body, std::optional<std::uint8_t> firstOctet,
                                std::optional<std::uint8_t> codingScheme,
                                std::optional<std::size_t> dataLength);

struct OutgoingText {
    bool ucs2 = false;
    std::u16string payload;  // GSM codes, or UCS2 hex
    bool tooLong = false;    // more than one message holds: nothing may be sent
};

OutgoingText PlanOutgoingText(const std::u16string& text);
