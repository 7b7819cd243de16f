// The BMP writer of the picture export: uncompressed, 24 bits per pixel, rows
// bottom-up, each row padded to a multiple of 4 bytes.
#pragma once

#include "PixelImage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ombrix {

/// The size of the 14-byte file header, which SaveBmp writes apart from the rest.
inline constexpr std::size_t BmpFileHeaderSize = 14;
/// The size of the file header and the 40-byte information header before the rows.
inline constexpr std::size_t BmpHeadersSize = 54;

/// The bytes of one 24-bit row of an image `width` pixels wide, padding included.
std::size_t BmpRowSize(int width);

/// The whole BMP file of `image`: file header, information header, then the pixel
/// rows, bottom row first; pixel colour 0x00BBGGRR gives the bytes BB, GG, RR (the
/// high byte is dropped) and padding bytes are 0. Throws std::invalid_argument for an
/// empty image, which BMP readers do not take.
std::vector<std::uint8_t> EncodeBmp(const TPixelImage& image);

/// Writes EncodeBmp(image) to the file `path`, replacing any file of that name through
/// ReplaceFile: the name shows either the old file or the whole new one, never a part.
///
/// Throws TError (Error.h) with the system's reason:
/// - TFailure::CreateFile when the file cannot be created or put in place (no such
///   folder, no rights to the folder or to an existing file, `path` names a folder), and
///   for an empty or oversized image, which has no BMP form (nothing is touched then);
/// - TFailure::WriteFile when the file takes fewer bytes than written to it (disk full,
///   size limit) or cannot be flushed to disk;
/// and std::bad_alloc when the file's bytes cannot be assembled in memory.
void SaveBmp(const std::string& path, const TPixelImage& image);

} // namespace ombrix
