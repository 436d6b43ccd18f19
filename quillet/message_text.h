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

std::u16string DecodeMessageText(const std::u16string& body,
                                 std::optional<std::uint8_t> codingScheme);

struct OutgoingText {
    bool ucs2 = false;
    std::u16string payload;  // GSM codes, or UCS2 hex
    bool tooLong = false;    // more than one message holds: nothing may be sent
};

OutgoingText PlanOutgoingText(const std::u16string& text);
