#include "modemlink/smscodec/user_data.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kConcatenation8 = 0x00;
constexpr std::uint8_t kConcatenation16 = 0x08;

int HexValue(char16_t unit) {
    if (unit >= u'0' && unit <= u'9') {
        return unit - u'0';
    }
    if (unit >= u'A' && unit <= u'F') {
        return unit - u'A' + 10;
    }
    if (unit >= u'a' && unit <= u'f') {
        return unit - u'a' + 10;
    }
    return -1;
}

std::optional<MessagePart> ConcatenationElement(std::uint8_t id, const std::uint8_t* data,
                                                std::size_t length) {
    MessagePart part;
    if (id == kConcatenation8 && length == 3) {
        part.reference = data[0];
    } else if (id == kConcatenation16 && length == 4) {
        part.reference = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
        part.wideReference = true;
    } else {
        return std::nullopt;
    }
    part.total = data[length - 2];
    part.sequence = data[length - 1];
    // A receiver ignores an element it cannot make sense of.
    if (part.total == 0 || part.sequence == 0 || part.sequence > part.total) {
        return std::nullopt;
    }
    return part;
}

}  // namespace

std::optional<UserDataHeader> ReadUserDataHeader(const std::vector<std::uint8_t>& userData) {
    if (userData.empty() || userData[0] + 1u > userData.size()) {
        return std::nullopt;
    }
    UserDataHeader header;
    header.octets = userData[0] + 1u;
    std::size_t at = 1;
    while (at < header.octets) {
        if (at + 2 > header.octets || at + 2 + userData[at + 1] > header.octets) {
            return std::nullopt;
        }
        const std::uint8_t id = userData[at];
        const std::size_t length = userData[at + 1];
        const std::optional<MessagePart> part =
            ConcatenationElement(id, userData.data() + at + 2, length);
        if (part) {
            header.part = part;
        }
        at += 2 + length;
    }
    return header;
}

std::vector<std::uint8_t> PartHeader(const MessagePart& part) {
    if (part.wideReference) {
        return {6,
                kConcatenation16,
                4,
                static_cast<std::uint8_t>(part.reference >> 8),
                static_cast<std::uint8_t>(part.reference & 0xFF),
                part.total,
                part.sequence};
    }
    return {5,          kConcatenation8, 3, static_cast<std::uint8_t>(part.reference & 0xFF),
            part.total, part.sequence};
}

std::size_t HeaderSeptets(std::size_t headerOctets) {
    return (headerOctets * 8 + 6) / 7;
}

std::u16string UnpackSeptets(const std::vector<std::uint8_t>& userData, std::size_t headerOctets,
                             std::optional<std::size_t> septets) {
    const std::size_t first = HeaderSeptets(headerOctets);
    const std::size_t held = userData.size() * 8 / 7;
    std::size_t last = held;
    if (septets && first + *septets < held) {
        last = first + *septets;
    }
    std::u16string codes;
    for (std::size_t k = first; k < last; ++k) {
        const std::size_t bit = k * 7;
        const std::size_t octet = bit / 8;
        const unsigned shift = bit % 8;
        unsigned value = static_cast<unsigned>(userData[octet]) >> shift;
        if (shift > 1 && octet + 1 < userData.size()) {
            value |= static_cast<unsigned>(userData[octet + 1]) << (8 - shift);
        }
        codes.push_back(static_cast<char16_t>(value & 0x7F));
    }
    return codes;
}

std::vector<std::uint8_t> PackSeptets(const std::vector<std::uint8_t>& header,
                                      const std::u16string& codes) {
    const std::size_t first = HeaderSeptets(header.size());
    const std::size_t bits = (first + codes.size()) * 7;
    std::vector<std::uint8_t> userData((bits + 7) / 8, 0);
    std::copy(header.begin(), header.end(), userData.begin());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::size_t bit = (first + i) * 7;
        const unsigned value = codes[i] & 0x7F;
        userData[bit / 8] |= static_cast<std::uint8_t>(value << (bit % 8));
        if (bit % 8 > 1) {
            userData[bit / 8 + 1] |= static_cast<std::uint8_t>(value >> (8 - bit % 8));
        }
    }
    return userData;
}

std::u16string OctetsToUcs2(const std::vector<std::uint8_t>& octets, std::size_t from) {
    std::u16string text;
    for (std::size_t i = from; i + 1 < octets.size(); i += 2) {
        text.push_back(static_cast<char16_t>(octets[i] << 8 | octets[i + 1]));
    }
    return text;
}

std::u16string OctetsToHex(const std::vector<std::uint8_t>& octets) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string hex;
    hex.reserve(octets.size() * 2);
    for (std::uint8_t octet : octets) {
        hex.push_back(kDigits[octet >> 4]);
        hex.push_back(kDigits[octet & 0xF]);
    }
    return hex;
}

std::optional<std::vector<std::uint8_t>> HexToOctets(const std::u16string& hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> octets;
    octets.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        octets.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return octets;
}
