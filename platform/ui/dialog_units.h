#pragma once
// Dialog units to pixels, the way a dialog manager maps a template rectangle: each coordinate is
// multiplied by the font's base unit and divided by 4 (horizontal) or 8 (vertical), rounded to
// the nearest pixel, halves away from zero.

#include <cstdint>

#include "platform/ui/dialog_template.h"

namespace platform::ui {

struct DialogBaseUnits {
    std::int32_t averageCharWidth = 0;  // pixels
    std::int32_t charHeight = 0;        // pixels
};

struct PixelRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const PixelRect& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

// value * numerator / denominator, rounded half away from zero.
std::int32_t MulDivRound(std::int32_t value, std::int32_t numerator, std::int32_t denominator);

PixelRect DialogUnitsToPixels(const DialogUnitRect& rect, const DialogBaseUnits& base);

// The average width of the 52 Latin letters, rounded the way dialog managers do: the total
// advance of "A..Za..z" in pixels gives ((total / 26) + 1) / 2.
std::int32_t AverageCharWidthFromAlphabet(std::int32_t alphabetAdvance);

}  // namespace platform::ui
