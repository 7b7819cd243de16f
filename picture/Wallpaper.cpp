#include "Wallpaper.h"

#include <algorithm>
#include <stdexcept>

namespace ombrix {

std::string WallpaperSizeMessage(int width, int height) {
    return "A wallpaper of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels cannot be made: each side must lie between 1 and " +
           std::to_string(MaxWallpaperSide) + " pixels";
}

TPixelImage WallpaperPicture(const TPixelImage& tile, int tilingType, int width, int height) {
    if (tile.Empty())
        throw std::invalid_argument("WallpaperPicture: the tile is empty");
    if (width < 1 || width > MaxWallpaperSide || height < 1 || height > MaxWallpaperSide)
        throw std::runtime_error(WallpaperSizeMessage(width, height));
    const int tileW = tile.Width(), tileH = tile.Height();
    TPixelImage picture(width, height);
    // The rows repeat with a period of one tile row, or two when odd rows are shifted:
    // build the first period from the tile, then copy whole rows.
    const int period = tilingType != 0 ? 2 * tileH : tileH;
    const auto rowLength = static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        TColor* out = picture.Row(y);
        if (y >= period) {
            const TColor* same = picture.Row(y - period);
            std::copy(same, same + rowLength, out);
            continue;
        }
        const bool shifted = tilingType != 0 && (y / tileH) % 2 == 1;
        const TColor* in = tile.Row(y % tileH);
        int column = shifted ? tileW / 2 : 0; // tile column of picture column 0
        for (int x = 0; x < width;) {
            const int run = std::min(tileW - column, width - x);
            std::copy(in + column, in + column + run, out + x);
            x += run;
            column = 0;
        }
    }
    return picture;
}

} // namespace ombrix
