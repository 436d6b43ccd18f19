// Received bytes to UTF-16 with a code page: unmappable bytes and NULs.

#include "platform/core/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Convert(const char* charset, const std::string& bytes) {
    platform::CodePageConverter converter(charset);
    EXPECT_TRUE(converter.IsValid()) << charset;
    return converter.ToUtf16(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(CodePage, ConvertsWithTheGivenCharacterSet) {
    const struct {
        const char* charset;
        std::string bytes;
        std::u16string text;
    } rows[] = {
        {"ANSI_X3.4-1968", "\r\nOK\r\n", u"\r\nOK\r\n"},
        {"ANSI_X3.4-1968", "A\xE9Z", u"A\uFFFDZ"},  // unmappable: replaced, the rest kept
        {"ANSI_X3.4-1968", "\x80\x81", u"\uFFFD\uFFFD"},
        {"ISO-8859-1", "caf\xE9", u"caf\u00E9"},
        {"UTF-8", "\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587"},
        {"UTF-8",
         "a\xFF"
         "b",
         u"a\uFFFDb"},
        {"UTF-8", "ok\xE4\xB8", u"ok\uFFFD"},  // cut off at the end of the chunk
        {"UTF-8", "\xF0\x9F\x93\xB1", u"\U0001F4F1"},
        {"GB18030", "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},
        // Converters that hold a letter back for a combining mark must still give it out.
        {"CP1255", "\xE0\xE1", u"\u05D0\u05D1"},
        {"CP1255", "\xE0\xFF\xE1", u"\u05D0\uFFFD\u05D1"},
        {"UTF-8", std::string("RI\0NG", 5), u"RI"},  // a NUL ends the chunk's text
        {"UTF-8", std::string("\0OK", 3), u""},
        {"UTF-8", "", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.charset) + " " + row.bytes);
        EXPECT_EQ(Convert(row.charset, row.bytes), row.text);
    }
}

// A serial line cuts its stream into chunks wherever it pauses.
TEST(CodePage, StreamKeepsCharactersSplitBetweenChunksAndNuls) {
    const struct {
        const char* charset;
        std::string bytes;
        std::u16string text;
    } rows[] = {
        {"UTF-8", "\xE4\xBD\xA0\xE5\xA5\xBD \xF0\x9F\x93\xB1", u"\u4F60\u597D \U0001F4F1"},
        {"GBK", "\xC4\xE3\xBA\xC3!", u"\u4F60\u597D!"},
        {"UTF-8", std::string("a\0b\0", 4), std::u16string(u"a\0b\0", 4)},
        {"UTF-8", std::string("\xE4\xBD\0\xA0", 4), std::u16string(u"\uFFFD\0\uFFFD", 3)},
    };
    for (const auto& row : rows) {
        for (std::size_t cut = 0; cut <= row.bytes.size(); ++cut) {
            SCOPED_TRACE(std::string(row.charset) + " cut at " + std::to_string(cut));
            platform::StreamDecoder decoder(row.charset);
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(row.bytes.data());
            std::u16string text = decoder.Decode(bytes, cut);
            text += decoder.Decode(bytes + cut, row.bytes.size() - cut);
            EXPECT_EQ(text, row.text);
        }
    }
}

TEST(CodePage, LongBlockOfUnmappableBytesKeepsEveryPosition) {
    const std::string bytes(4096, '\xFF');
    EXPECT_EQ(Convert("UTF-8", bytes), std::u16string(4096, u'\uFFFD'));
}

TEST(CodePage, ConverterIsReusableAfterAnError) {
    platform::CodePageConverter converter("UTF-8");
    const std::string bad = "\xE4\xB8";
    const std::string good = "\xE4\xB8\xAD";
    converter.ToUtf16(reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size());
    EXPECT_EQ(converter.ToUtf16(reinterpret_cast<const std::uint8_t*>(good.data()), good.size()),
              u"\u4E2D");
}

TEST(CodePage, UnknownCharacterSetStillGivesAsciiAndReplacements) {
    platform::CodePageConverter converter("NO-SUCH-CHARSET");
    EXPECT_FALSE(converter.IsValid());
    const std::string bytes = "OK\xC3";
    EXPECT_EQ(converter.ToUtf16(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
              u"OK\uFFFD");
}

TEST(CodePage, Utf8RoundTrip) {
    const std::u16string texts[] = {u"", u"你好，世界!", u"\U0001F4F1 x",
                                    std::u16string(u"a\0b", 3)};
    for (const auto& text : texts) {
        EXPECT_EQ(platform::Utf8ToUtf16(platform::Utf16ToUtf8(text)), text);
    }
    EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

}  // namespace
