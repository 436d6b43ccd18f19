#include "platform/ui/dialog_units.h"

#include <cstdint>

namespace platform::ui {

std::int32_t MulDivRound(std::int32_t value, std::int32_t numerator, std::int32_t denominator) {
    if (denominator == 0) {
        return 0;
    }
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (product < 0 ? -product : product) + (half < 0 ? -half : half);
    const std::int64_t quotient = magnitude / (denominator < 0 ? -denominator : denominator);
    return static_cast<std::int32_t>(negative ? -quotient : quotient);
}

PixelRect DialogUnitsToPixels(const DialogUnitRect& rect, const DialogBaseUnits& base) {
    PixelRect pixels;
    pixels.x = MulDivRound(rect.x, base.averageCharWidth, 4);
    pixels.y = MulDivRound(rect.y, base.charHeight, 8);
    pixels.width = MulDivRound(rect.width, base.averageCharWidth, 4);
    pixels.height = MulDivRound(rect.height, base.charHeight, 8);
    return pixels;
}

std::int32_t AverageCharWidthFromAlphabet(std::int32_t alphabetAdvance) {
    return (alphabetAdvance / 26 + 1) / 2;
}

}  // namespace platform::ui
