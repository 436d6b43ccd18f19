// The user data of long-message parts: header elements, and 7-bit text after 0-6 fill bits.

#include <gtest/gtest.h>

#include <algorithm>

#include "modemlink/smscodec/user_data.h"

namespace {

std::vector<std::uint8_t> Octets(const std::u16string& hex) {
    return HexToOctets(hex).value_or(std::vector<std::uint8_t>{});
}

// Hand-packed "Hi" (0x48 0x69) behind headers of 6, 7 and 8 octets (length octet 5, 6, 7).
TEST(UserData, HeaderAndSeptetsAfterTheFillBits) {
    const struct {
        const char* name;
        std::u16string hex;
        std::size_t headerOctets;
        MessagePart part;
        std::size_t fillBits;
    } rows[] = {
        {"8-bit reference", u"0500032A02019069", 6, {0x2A, false, 2, 1}, 1},
        {"16-bit reference", u"060804123403 02C834", 7, {0x1234, true, 3, 2}, 0},
        {"an unknown element first", u"07210000032A0201 00320D", 8, {0x2A, false, 2, 1}, 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::u16string hex = row.hex;
        hex.erase(std::remove(hex.begin(), hex.end(), u' '), hex.end());
        const std::vector<std::uint8_t> userData = Octets(hex);
        const std::optional<UserDataHeader> header = ReadUserDataHeader(userData);
        ASSERT_TRUE(header && header->part);
        EXPECT_EQ(header->octets, row.headerOctets);
        EXPECT_EQ(header->part->reference, row.part.reference);
        EXPECT_EQ(header->part->wideReference, row.part.wideReference);
        EXPECT_EQ(header->part->total, row.part.total);
        EXPECT_EQ(header->part->sequence, row.part.sequence);
        EXPECT_EQ(HeaderSeptets(row.headerOctets) * 7 - row.headerOctets * 8, row.fillBits);
        EXPECT_EQ(UnpackSeptets(userData, header->octets, 2), u"\x48\x69");
        const std::vector<std::uint8_t> headerBytes(
            userData.begin(), userData.begin() + static_cast<long>(row.headerOctets));
        EXPECT_EQ(PackSeptets(headerBytes, u"\x48\x69"), userData);
        if (row.headerOctets < 8) {
            EXPECT_EQ(PartHeader(row.part), headerBytes);
        }
    }
}

TEST(UserData, BrokenHeadersAndBadPartNumbers) {
    const struct {
        std::u16string hex;
        bool header;
        bool part;
    } rows[] = {
        {u"0500032A02", false, false},      // the header runs past the data
        {u"0500042A0201", false, false},    // an element runs past the header
        {u"0500032A0200", true, false},     // part 0
        {u"0500032A0203", true, false},     // part 3 of 2
        {u"0500032A0001", true, false},     // no parts
        {u"0600032A020100", false, false},  // a lone octet cannot be an element
        {u"", false, false},
    };
    for (const auto& row : rows) {
        const std::optional<UserDataHeader> header = ReadUserDataHeader(Octets(row.hex));
        EXPECT_EQ(header.has_value(), row.header) << std::string(row.hex.begin(), row.hex.end());
        EXPECT_EQ(header && header->part, row.part);
    }
    EXPECT_FALSE(HexToOctets(u"0G"));
    EXPECT_FALSE(HexToOctets(u"ABC"));
}

// Every header length and text length packs and unpacks to itself, 127 included.
TEST(UserData, SeptetsRoundTripBehindEveryHeaderLength) {
    for (std::size_t headerOctets = 0; headerOctets <= 8; ++headerOctets) {
        std::vector<std::uint8_t> header(headerOctets, 0xA5);
        for (std::size_t length = 0; length <= 20; ++length) {
            std::u16string codes;
            for (std::size_t i = 0; i < length; ++i) {
                codes.push_back(static_cast<char16_t>((i * 37 + 127) & 0x7F));
            }
            const std::vector<std::uint8_t> packed = PackSeptets(header, codes);
            ASSERT_EQ(packed.size(), ((HeaderSeptets(headerOctets) + length) * 7 + 7) / 8);
            EXPECT_TRUE(std::equal(header.begin(), header.end(), packed.begin()));
            EXPECT_EQ(UnpackSeptets(packed, headerOctets, length), codes)
                << headerOctets << " " << length;
        }
    }
}

}  // namespace
