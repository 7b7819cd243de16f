// The picture that the export writes: one that repeats seamlessly on a plain grid.
#pragma once

#include "PixelImage.h"

namespace ombrix {

/// For tilingType 0, a copy of the tile. For any other tilingType, a W × 2H picture
/// (W, H the tile's size, s = W div 2) with the tile drawn at (0, 0), then at
/// (-s, H), then at (s, H), later draws winning, clipped. Its lower-half pixel
/// (i, H + j) is tile pixel (i + s, j) for i < s and (i - s, j) for i >= s, so for an
/// even W the lower half is the tile rotated left by half its width, as the wall's
/// odd tile rows show it. For an odd W tile column W - 1 is missing from the lower
/// half and column s shows twice.
/// Throws std::bad_alloc when the memory cannot be had.
TPixelImage ComposeExport(const TPixelImage& tile, int tilingType);

} // namespace ombrix
