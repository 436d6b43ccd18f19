// The trace's text, which the programs and the simulator share and the tests read back.

#include <gtest/gtest.h>

#include "modemlink/tracetext/byte_escapes.h"
#include "modemlink/tracetext/trace_line.h"

namespace {

using tracetext::EscapeBytes;
using tracetext::TraceLine;
using tracetext::UnescapeBytes;

TEST(ByteEscapes, RoundTripAndRejectBadEscapes) {
    const std::string all = std::string("A\r\n\t\\\x1A\x1B\x7F\xFF", 9) + std::string(1, '\0');
    EXPECT_EQ(EscapeBytes(all), "A\\r\\n\\t\\\\\\z\\e\\x7F\\xFF\\0");
    EXPECT_EQ(UnescapeBytes(EscapeBytes(all)), all);
    EXPECT_EQ(UnescapeBytes("\\xab\\x0A"), std::string("\xAB\n"));
    for (const char* bad : {"\\", "\\q", "\\x", "\\x4", "\\x4G", "\\xZZ"}) {
        EXPECT_FALSE(UnescapeBytes(bad)) << bad;
    }
}

// The stamp rounds to the millisecond and widens rather than cut a long run short.
TEST(TraceLine, StampDirectionAndEscapedBytes) {
    EXPECT_EQ(TraceLine(3.1064999, '>', "AT\r\r\nOK\r\n"), "[   3.106] > AT\\r\\r\\nOK\\r\\n");
    EXPECT_EQ(TraceLine(59.9996, '!', ""), "[  60.000] ! ");
    EXPECT_EQ(TraceLine(123456.7891, '<', "\x1A"), "[123456.789] < \\z");
}

}  // namespace
