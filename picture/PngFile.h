// The PNG writer of the picture export and of the wallpapers, and the choice between
// PNG and BMP by the file's name. Encodes with Qt's own image writer in memory, so it
// needs QtGui but no application object and no display.
#pragma once

#include "PixelImage.h"

#include <QByteArray>

#include <string>
#include <string_view>

namespace ombrix {

/// The zlib level of the PNG files written (0 none .. 9 smallest). Low: the repeated
/// tile compresses well already, and a screen-sized picture must be written at once.
inline constexpr int PngCompressionLevel = 1;

/// The PNG file of `image`, 8 bits per channel, no alpha: pixel 0x00BBGGRR gives red RR,
/// green GG, blue BB; `level` is the zlib level, 0..9. Throws std::invalid_argument for an
/// empty image, and std::bad_alloc when the encoder fails for lack of memory.
QByteArray EncodePng(const TPixelImage& image, int level = PngCompressionLevel);

/// Writes EncodePng(image) to `path` through the same safe replacement as SaveBmp, with
/// the same errors: the name shows either the old file or the whole new one.
void SavePng(const std::string& path, const TPixelImage& image);

/// True when `path` ends in ".png", in any case.
bool IsPngName(std::string_view path);

/// SavePng for a name ending in ".png" (any case), else SaveBmp.
void SavePicture(const std::string& path, const TPixelImage& image);

} // namespace ombrix
