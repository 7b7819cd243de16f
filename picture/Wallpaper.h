// Pictures the size of a screen or of the whole desktop, for desktops that cannot
// repeat a small picture themselves: the tile repeated exactly as the wall shows it.
#pragma once

#include "PixelImage.h"

#include <string>

namespace ombrix {

/// The largest width and height of a wallpaper picture, in pixels.
inline constexpr int MaxWallpaperSide = 16384;

/// The message for a wallpaper size outside 1..MaxWallpaperSide.
std::string WallpaperSizeMessage(int width, int height);

/// A width × height picture covered with `tile` as the wall covers its paint box: tile
/// rows from the top-left corner, odd tile rows shifted left by (tile width div 2) when
/// tilingType is not 0, cut at the right and bottom edges. So pixel (x, y), in tile row
/// r = y div H, is tile pixel ((x + s) mod W, y mod H) with s = W div 2 for odd r of a
/// shifted tiling and s = 0 otherwise (W, H the tile's size).
///
/// Throws std::runtime_error with WallpaperSizeMessage when width or height lies outside
/// 1..MaxWallpaperSide, std::bad_alloc when the memory cannot be had, and
/// std::invalid_argument for an empty tile.
TPixelImage WallpaperPicture(const TPixelImage& tile, int tilingType, int width, int height);

} // namespace ombrix
