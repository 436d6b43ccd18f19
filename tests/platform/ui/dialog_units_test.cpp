#include "platform/ui/dialog_units.h"

#include <gtest/gtest.h>

#include "platform/ui/edit_text.h"

using namespace platform::ui;

TEST(MulDivRound, RoundsHalvesAwayFromZero) {
    struct Row {
        std::int32_t value, numerator, denominator, expected;
    };
    const Row rows[] = {
        {0, 7, 4, 0},
        {1, 6, 4, 2},
        {1, 7, 8, 1},
        {3, 6, 4, 5},  // 4.5 -> 5
        {5, 7, 4, 9},
        {-3, 6, 4, -5},
        {246, 6, 4, 369},
        {146, 13, 8, 237},
        {17, 13, 8, 28},
        {1, 1, 0, 0},
        {7, 1, 2, 4},
        {-7, 1, 2, -4},
        {2147483647, 2, 2, 2147483647},  // no overflow in the product
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MulDivRound(row.value, row.numerator, row.denominator), row.expected)
            << row.value << " * " << row.numerator << " / " << row.denominator;
    }
}

TEST(DialogUnitsToPixels, ScalesXByQuarterWidthAndYByEighthHeight) {
    const DialogBaseUnits base{6, 13};
    EXPECT_EQ(DialogUnitsToPixels({38, 119, 59, 17}, base), (PixelRect{57, 193, 89, 28}));
    EXPECT_EQ(DialogUnitsToPixels({0, 0, 246, 146}, base), (PixelRect{0, 0, 369, 237}));
    EXPECT_EQ(DialogUnitsToPixels({0, 0, 0, 0}, base), (PixelRect{0, 0, 0, 0}));
    EXPECT_EQ(DialogUnitsToPixels({10, 10, 100, 100}, {8, 16}), (PixelRect{20, 20, 200, 200}));
}

TEST(AverageCharWidth, UsesTheDialogManagersRounding) {
    EXPECT_EQ(AverageCharWidthFromAlphabet(312), 6);  // 12 per pair of letters -> 6
    EXPECT_EQ(AverageCharWidthFromAlphabet(338), 7);  // 13 -> 7: halves round up
    EXPECT_EQ(AverageCharWidthFromAlphabet(0), 0);
}

TEST(EditText, LineBreakConversionsForMultiLineBoxes) {
    struct Row {
        std::u16string windowsText;  // as a program sets and reads it
        std::u16string qtText;       // as the Qt widget holds it
    };
    const Row rows[] = {
        {u"", u""},
        {u"one line", u"one line"},
        {u"a\r\nb", u"a\nb"},
        {u"\r\n\r\n", u"\n\n"},
        {u"a\r\nb\r\n", u"a\nb\n"},
        {u"\r\nlead", u"\nlead"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CrLfToLf(row.windowsText), row.qtText);
        EXPECT_EQ(LfToCrLf(row.qtText), row.windowsText);
    }
    // Lone CRs survive both ways; a lone LF gains its CR on the way back.
    EXPECT_EQ(CrLfToLf(u"a\rb\nc"), u"a\rb\nc");
    EXPECT_EQ(LfToCrLf(u"a\rb\nc"), u"a\rb\r\nc");
    EXPECT_EQ(LfToCrLf(u"\r\r\n"), u"\r\r\n");
}
