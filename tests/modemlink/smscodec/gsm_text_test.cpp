// The SMS character sets against the tables of the standard, both ways.

#include "modemlink/smscodec/gsm_text.h"

#include <gtest/gtest.h>

namespace {

// Code, character: the places where the GSM alphabet and ASCII part, and the table's ends.
const struct {
    char16_t code;
    char16_t character;
} kBasicRows[] = {
    {0x00, u'@'}, {0x01, u'£'}, {0x02, u'$'}, {0x0A, u'\n'}, {0x0D, u'\r'}, {0x10, u'Δ'},
    {0x11, u'_'}, {0x1F, u'É'}, {0x20, u' '}, {0x24, u'¤'},  {0x40, u'¡'},  {0x41, u'A'},
    {0x5B, u'Ä'}, {0x5F, u'§'}, {0x60, u'¿'}, {0x7B, u'ä'},  {0x7E, u'ü'},  {0x7F, u'à'},
};

TEST(GsmAlphabet, BasicTableBothWays) {
    for (const auto& row : kBasicRows) {
        EXPECT_EQ(GsmToText(std::u16string(1, row.code)), std::u16string(1, row.character))
            << std::hex << int(row.code);
    }
    // Every code but Ξ comes back as itself; the escape alone is no character (see the
    // extension rows).
    for (char16_t code = 0; code < 0x80; ++code) {
        if (code == 0x1B) {
            continue;
        }
        const auto back = TextToGsmBasic(GsmToText(std::u16string(1, code)));
        if (code == 0x1A) {
            EXPECT_FALSE(back) << int(code);
        } else {
            ASSERT_TRUE(back) << int(code);
            EXPECT_EQ(*back, std::u16string(1, code));
        }
    }
    EXPECT_EQ(TextToGsmBasic(u"a@b_c$d"), std::u16string(u"a\x00"
                                                         u"b\x11"
                                                         u"c\x02"
                                                         u"d",
                                                         7));
}

TEST(GsmAlphabet, ExtensionDecodesAndOnlyTheBasicTableEncodes) {
    const struct {
        std::u16string codes;
        std::u16string text;
    } rows[] = {
        {u"\x1B\x14\x1B\x28\x1B\x29\x1B\x2F\x1B\x3C\x1B\x3D\x1B\x3E\x1B\x40\x1B\x65",
         u"^{}\\[~]|€"},
        {u"\x1B\x0A", u"\f"},
        {u"\x1B\x41", u"A"},  // no extension character: the basic table's
        {u"a\x1B", u"a "},    // an escape with nothing after it
        {u"\x4F60", u"\x4F60"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(GsmToText(row.codes), row.text);
    }
    EXPECT_EQ(
        TextToGsm(u"^{}\\[~]|€\f@"),
        std::u16string(
            u"\x1B\x14\x1B\x28\x1B\x29\x1B\x2F\x1B\x3C\x1B\x3D\x1B\x3E\x1B\x40\x1B\x65\x1B\x0A\0",
            21));
    EXPECT_FALSE(TextToGsm(u"你"));
    for (const std::u16string text : {u"{", u"€", u"Ξ", u"你好", u"\U0001F600", u"\x1B", u"a\tb"}) {
        EXPECT_FALSE(TextToGsmBasic(text));
    }
}

TEST(Ucs2Hex, BothWaysAndMalformed) {
    EXPECT_EQ(TextToUcs2Hex(u"你好A\U0001F600"), u"4F60597D0041D83DDE00");
    EXPECT_EQ(Ucs2HexToText(u"4f60597D0041D83DDE00"), std::u16string(u"你好A\U0001F600"));
    EXPECT_EQ(Ucs2HexToText(u""), std::u16string());
    for (const std::u16string hex : {u"4F6", u"4F60597", u"4G60", u"4F 0", u"+86139"}) {
        EXPECT_FALSE(Ucs2HexToText(hex)) << std::string(hex.begin(), hex.end());
    }
}

TEST(CodingScheme, CodingGroupsNameTheAlphabet) {
    const struct {
        std::uint8_t dcs;
        SmsAlphabet alphabet;
    } rows[] = {
        {0x00, SmsAlphabet::kGsm7},     {0x04, SmsAlphabet::kEightBit},
        {0x08, SmsAlphabet::kUcs2},     {0x0C, SmsAlphabet::kGsm7},
        {0x10, SmsAlphabet::kGsm7},     {0x18, SmsAlphabet::kUcs2},
        {0x24, SmsAlphabet::kEightBit},  // compressed
        {0x48, SmsAlphabet::kUcs2},      // marked for automatic deletion
        {0x80, SmsAlphabet::kGsm7},     {0xC0, SmsAlphabet::kGsm7},
        {0xD8, SmsAlphabet::kGsm7},     {0xE0, SmsAlphabet::kUcs2},
        {0xF0, SmsAlphabet::kGsm7},     {0xF4, SmsAlphabet::kEightBit},
        {0xF6, SmsAlphabet::kEightBit},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AlphabetOfCodingScheme(row.dcs), row.alphabet) << std::hex << int(row.dcs);
    }
}

}  // namespace
