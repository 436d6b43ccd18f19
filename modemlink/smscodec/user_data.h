#pragma once
// The user data of a message that carries a user-data header: the form every part of a long
// (concatenated) message takes. Such a part has the header indication (0x40) in its first octet
// <fo>, and in text mode its user data is given as the hex of its octets, header included:
//
//   05 00 03 2A 02 01  <septets or UCS2 octets...>
//   |  |  |  |  |  +-- this part: 1
//   |  |  |  |  +----- of 2 parts
//   |  |  |  +-------- reference 0x2A, the same in every part of the message
//   |  |  +----------- element length 3
//   |  +-------------- element 0x00: concatenation, 8-bit reference (0x08: 16-bit, length 4)
//   +----------------- header length 5 (the octets after this one)
//
// GSM 7-bit text starts at the first septet boundary after the header, so 0-6 fill bits stand
// between them: 1 after a 6-octet header, 0 after 7 octets, 6 after 8.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr std::uint8_t kHeaderIndication = 0x40;  // in <fo>

struct MessagePart {
    std::uint16_t reference = 0;
    bool wideReference = false;  // a 16-bit reference (element 0x08)
    std::uint8_t total = 0;
    std::uint8_t sequence = 0;  // 1..total
};

struct UserDataHeader {
    std::size_t octets = 0;  // the whole header, its length octet included
    std::optional<MessagePart> part;
};

// The header at the start of the user data; nothing when its length or an element's length runs
// past the data. Elements other than concatenation are passed over, and so is a concatenation
// element with no parts or a part number outside 1..total.
std::optional<UserDataHeader> ReadUserDataHeader(const std::vector<std::uint8_t>& userData);

// A concatenation header, its length octet included: 6 octets, or 7 with a wide reference.
std::vector<std::uint8_t> PartHeader(const MessagePart& part);

// The septets that follow `headerOctets` octets of user data (each as one unit 0x00-0x7F), at
// most `septets` of them; every whole septet that the octets hold when `septets` is left out.
std::u16string UnpackSeptets(const std::vector<std::uint8_t>& userData, std::size_t headerOctets,
                             std::optional<std::size_t> septets = std::nullopt);
// The user data of a header followed by GSM codes packed from the next septet boundary on.
std::vector<std::uint8_t> PackSeptets(const std::vector<std::uint8_t>& header,
                                      const std::u16string& codes);
// The septets a header takes in 7-bit user data, fill bits included.
std::size_t HeaderSeptets(std::size_t headerOctets);

// UCS2 octets, big-endian pairs from `from` on, as UTF-16 units; a last odd octet is left out.
std::u16string OctetsToUcs2(const std::vector<std::uint8_t>& octets, std::size_t from = 0);

// Octets as hex digits, upper case; and back (either case), nothing for an odd length or a
// character that is no hex digit.
std::u16string OctetsToHex(const std::vector<std::uint8_t>& octets);
std::optional<std::vector<std::uint8_t>> HexToOctets(const std::u16string& hex);
