#include "Wall.h"

#include <algorithm>

namespace ombrix {

void RenderTile(const TFieldModel& model, TPixelImage& tile) {
    const int width = std::clamp(model.AreaW, 0, MaxAreaW);
    const int height = std::clamp(model.AreaH, 0, MaxAreaH);
    tile.SetSize(width, height);
    if (tile.Empty())
        return;

    // Field is stored by column and the tile by row. Walking the field column by
    // column reads it in order; the tile rows being written (at most 256 cache lines)
    // stay in the cache while the next 15 columns fill them.
    const TColor* table = model.ColorTable;
    TColor* pixels = tile.Data();
    const std::ptrdiff_t stride = width;
    for (int i = 0; i < width; ++i) {
        const std::int32_t* column = &model.Field[i + 1][1];
        TColor* out = pixels + i;
        for (int j = 0; j < height; ++j, out += stride)
            *out = table[static_cast<std::uint8_t>(column[j])];
    }
}

std::vector<TilePosition> TilePositions(int tileWidth, int tileHeight, int tilingType, int boxWidth,
                                        int boxHeight) {
    std::vector<TilePosition> positions;
    ForEachTilePosition(tileWidth, tileHeight, tilingType, boxWidth, boxHeight,
                        [&](TilePosition p) { positions.push_back(p); });
    return positions;
}

} // namespace ombrix
