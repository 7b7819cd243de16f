#include "BmpFile.h"

#include "Error.h"
#include "SafeFile.h"

#include <cerrno>
#include <limits>
#include <stdexcept>

namespace ombrix {

namespace {

constexpr std::size_t InfoHeaderSize = 40;

// The largest file whose sizes still fit the header's 32-bit fields.
constexpr std::uint64_t MaxBmpFileSize = std::numeric_limits<std::uint32_t>::max();

std::uint64_t BmpFileSize(const TPixelImage& image) {
    return BmpHeadersSize +
           std::uint64_t{BmpRowSize(image.Width())} * static_cast<std::uint64_t>(image.Height());
}

bool HasBmpForm(const TPixelImage& image) {
    return !image.Empty() && BmpFileSize(image) <= MaxBmpFileSize;
}

void Put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

} // namespace

std::size_t BmpRowSize(int width) {
    return (static_cast<std::size_t>(width) * 24 + 31) / 32 * 4;
}

std::vector<std::uint8_t> EncodeBmp(const TPixelImage& image) {
    if (image.Empty())
        throw std::invalid_argument("EncodeBmp: an empty image has no BMP form");
    if (!HasBmpForm(image))
        throw std::invalid_argument("EncodeBmp: the image is too large for a BMP file");
    const int w = image.Width(), h = image.Height();
    const std::size_t rowSize = BmpRowSize(w);
    const auto imageSize = static_cast<std::uint32_t>(rowSize * static_cast<std::size_t>(h));

    std::vector<std::uint8_t> bytes(BmpHeadersSize + imageSize); // zeros: reserved, padding
    std::uint8_t* const file = bytes.data();
    // File header.
    file[0] = 'B';
    file[1] = 'M';
    Put32(file + 2, static_cast<std::uint32_t>(bytes.size()));
    Put32(file + 10, BmpHeadersSize);
    // Information header: no compression, no resolution, no colour table.
    std::uint8_t* const info = file + BmpFileHeaderSize;
    Put32(info + 0, InfoHeaderSize);
    Put32(info + 4, static_cast<std::uint32_t>(w));
    Put32(info + 8, static_cast<std::uint32_t>(h)); // positive: bottom-up
    Put16(info + 12, 1);
    Put16(info + 14, 24);
    Put32(info + 20, imageSize);
    // Pixel rows, the bottom one first.
    std::uint8_t* out = file + BmpHeadersSize;
    for (int y = h - 1; y >= 0; --y, out += rowSize) {
        const TColor* row = image.Row(y);
        std::uint8_t* p = out;
        for (int x = 0; x < w; ++x, p += 3) {
            const TColor c = row[x];
            p[0] = static_cast<std::uint8_t>(c >> 16);
            p[1] = static_cast<std::uint8_t>(c >> 8);
            p[2] = static_cast<std::uint8_t>(c);
        }
    }
    return bytes;
}

void SaveBmp(const std::string& path, const TPixelImage& image) {
    if (path.empty())
        throw TError(TFailure::CreateFile, path, {ENOENT, std::system_category()});
    if (!HasBmpForm(image))
        throw TError(TFailure::CreateFile, path,
                     {image.Empty() ? EINVAL : EFBIG, std::system_category()});
    const std::vector<std::uint8_t> bytes = EncodeBmp(image);
    const std::string_view file(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // Two writes: the file header, then the image data.
    ReplaceFile(path, {file.substr(0, BmpFileHeaderSize), file.substr(BmpFileHeaderSize)});
}

} // namespace ombrix
