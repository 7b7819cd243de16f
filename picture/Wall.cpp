#include "Wall.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace ombrix {

void RenderTile(const TFieldModel& model, TPixelImage& tile) {
    const int width = std::clamp(model.AreaW, 0, MaxAreaW);
    const int height = std::clamp(model.AreaH, 0, MaxAreaH);
    tile.SetSize(width, height);
    if (tile.Empty())
        return;

    // Field is stored by column and the tile by row. Writing the tile row by row
    // and reading the field across its columns is the faster way round: a field
    // column is 1032 bytes long, so the cache lines read for one row spread over the
    // whole cache and serve the next 15 rows, while tile columns 2048 bytes apart
    // would all compete for a few cache sets (about 7 times slower at 512 x 256).
    const TColor* table = model.ColorTable;
    for (int j = 0; j < height; ++j) {
        TColor* out = tile.Row(j);
        for (int i = 0; i < width; ++i)
            out[i] = table[static_cast<std::uint8_t>(model.Field[i + 1][j + 1])];
    }
}

void RenderTile(const TFieldView& field, const TColor (&colorTable)[ColorTableSize],
                TPixelImage& tile) {
    tile.SetSize(field.Width, field.Height);
    if (tile.Empty())
        return;
    // Columns of a large field lie far apart: a band of rows at a time reads a short run
    // of each column and keeps the band's tile rows in the cache.
    constexpr int Band = 16;
    for (int top = 0; top < field.Height; top += Band) {
        const int rows = std::min(Band, field.Height - top);
        for (int i = 0; i < field.Width; ++i) {
            const std::int32_t* column = &field.At(i + 1, top + 1);
            for (int j = 0; j < rows; ++j)
                tile.Row(top + j)[i] = colorTable[static_cast<std::uint8_t>(column[j])];
        }
    }
}

TPixelImage WallPattern(const TPixelImage& tile, int tilingType) {
    const int w = tile.Width(), h = tile.Height();
    if (tilingType == 0 || tile.Empty())
        return tile;
    if (h > std::numeric_limits<int>::max() / 2)
        throw std::bad_alloc();
    TPixelImage pattern(w, 2 * h);
    const int shift = w / 2;
    const std::size_t rowBytes = sizeof(TColor) * static_cast<std::size_t>(w);
    const std::size_t headBytes = sizeof(TColor) * static_cast<std::size_t>(w - shift);
    for (int j = 0; j < h; ++j) {
        const TColor* source = tile.Row(j);
        std::memcpy(pattern.Row(j), source, rowBytes);
        TColor* lower = pattern.Row(h + j);
        std::memcpy(lower, source + shift, headBytes);
        std::memcpy(lower + (w - shift), source, rowBytes - headBytes);
    }
    return pattern;
}

} // namespace ombrix
