// The wall view's picture work: rendering the field into the tile, and the places
// where the tile is repeated over the wall.
#pragma once

#include "FieldModel.h"
#include "FieldView.h"
#include "PixelImage.h"

#include <cstdint>

namespace ombrix {

/// Sizes `tile` to AreaW × AreaH and sets pixel (x - 1, y - 1) to
/// ColorTable[Field[x][y]] for every live cell (x, y). Every pixel is written on
/// every call; the wrap border never shows.
///
/// Out-of-range input still gives a picture and never reads outside the model:
/// AreaW and AreaH are clamped to 0..MaxAreaW and 0..MaxAreaH (0 gives an empty
/// tile), and a cell value outside 0..255 picks the table entry of its low 8 bits.
/// When the tile cannot be sized (std::bad_alloc) it keeps its old size and picture.
void RenderTile(const TFieldModel& model, TPixelImage& tile);

/// The picture whose plain repetition from (0, 0) is the wall. For tilingType 0 the
/// tile itself; for any other a W x 2H picture (W, H the tile's size): the tile, and
/// below it the tile as the odd tile rows show it, rotated left by W div 2, so lower
/// pixel (i, H + j) is tile pixel ((i + W div 2) mod W, j). An empty tile gives an
/// empty picture. Throws std::bad_alloc when the memory cannot be had.
TPixelImage WallPattern(const TPixelImage& tile, int tilingType);

/// The top-left corner of one tile on the wall.
struct TilePosition {
    int X;
    int Y;
    friend bool operator==(const TilePosition&, const TilePosition&) = default;
};

/// Calls visit(TilePosition) for each place where a tileWidth × tileHeight tile is
/// drawn to cover a boxWidth × boxHeight paint box, in drawing order: tile row
/// r = 0, 1, 2, ... at y = r × tileHeight while y < boxHeight; in each row x starts
/// at 0, or at -(tileWidth div 2) in odd rows when tilingType is not 0, and steps by
/// tileWidth while x < boxWidth. A tile or box with a width or height of 0 or less
/// gives no places.
template <typename Visit>
void ForEachTilePosition(int tileWidth, int tileHeight, int tilingType, int boxWidth, int boxHeight,
                         Visit&& visit) {
    if (tileWidth <= 0 || tileHeight <= 0 || boxWidth <= 0 || boxHeight <= 0)
        return;
    // The steps run in 64 bits: the last one may pass the int range.
    const int shift = tileWidth / 2;
    std::int64_t row = 0;
    for (std::int64_t y = 0; y < boxHeight; y += tileHeight, ++row) {
        const std::int64_t x0 = (tilingType != 0 && row % 2 == 1) ? -shift : 0;
        for (std::int64_t x = x0; x < boxWidth; x += tileWidth)
            visit(TilePosition{static_cast<int>(x), static_cast<int>(y)});
    }
}

/// RenderTile for a field held outside the model, of any size a view may have: sizes
/// `tile` to Width × Height and sets pixel (x - 1, y - 1) to colorTable[cell (x, y)], a
/// cell value outside 0..255 picking the entry of its low 8 bits. Throws as
/// TPixelImage::SetSize does.
void RenderTile(const TFieldView& field, const TColor (&colorTable)[ColorTableSize],
                TPixelImage& tile);

} // namespace ombrix
