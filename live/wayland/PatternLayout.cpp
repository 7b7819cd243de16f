#include "PatternLayout.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace ombrix {

namespace {

struct TSide {
    int Buffer;
    int Cells;
};

// One direction: the pattern side `pattern`, the output side `output` in physical pixels
// (a multiple of `scale`).
TSide LayOutSide(int pattern, int scale, std::int64_t output) {
    // The fewest repeats that end on a whole surface-local unit.
    const std::int64_t step = scale / std::gcd(pattern, scale);
    // Enough repeats that MaxGridSide buffers cover the output.
    const std::int64_t wanted = (output + MaxGridSide - 1) / MaxGridSide;
    const std::int64_t unit = pattern * step;
    const std::int64_t repeats = step * std::max<std::int64_t>(1, (wanted + unit - 1) / unit);
    const std::int64_t buffer = pattern * repeats;
    if (buffer >= output)
        return {static_cast<int>(output), 1};
    return {static_cast<int>(buffer), static_cast<int>((output + buffer - 1) / buffer)};
}

} // namespace

int TPatternLayout::CellWidth() const {
    return static_cast<int>(std::int64_t{BufferWidth} * Units / Scale);
}

int TPatternLayout::CellHeight() const {
    return static_cast<int>(std::int64_t{BufferHeight} * Units / Scale);
}

TPatternLayout LayOutPattern(int patternWidth, int patternHeight, int scale, int outputWidth,
                             int outputHeight) {
    return LayOutPattern(patternWidth, patternHeight, scale, 1, outputWidth, outputHeight);
}

TPatternLayout LayOutPattern(int patternWidth, int patternHeight, int scale, int units,
                             int outputWidth, int outputHeight) {
    if (scale < 1)
        scale = 1;
    if (units < 1)
        units = 1;
    if (patternWidth <= 0 || patternHeight <= 0 || outputWidth <= 0 || outputHeight <= 0)
        return TPatternLayout{0, 0, 0, 0, scale, units};
    // A buffer side that is a multiple of `scale` is a whole number of units.
    const TSide across = LayOutSide(patternWidth, scale, std::int64_t{outputWidth} * scale / units);
    const TSide down = LayOutSide(patternHeight, scale, std::int64_t{outputHeight} * scale / units);
    return TPatternLayout{across.Buffer, down.Buffer, across.Cells, down.Cells, scale, units};
}

} // namespace ombrix
