#include "PngFile.h"

#include "BmpFile.h"
#include "Error.h"
#include "SafeFile.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <new>
#include <stdexcept>

namespace ombrix {

namespace {

// Three bytes per pixel, red first: the form the PNG writer stores without converting.
QImage ToQImage(const TPixelImage& image) {
    QImage result(image.Width(), image.Height(), QImage::Format_RGB888);
    if (result.isNull())
        throw std::bad_alloc();
    for (int y = 0; y < image.Height(); ++y) {
        const TColor* in = image.Row(y);
        uchar* out = result.scanLine(y);
        for (int x = 0; x < image.Width(); ++x, out += 3) {
            const TColor c = in[x];
            out[0] = static_cast<uchar>(c);
            out[1] = static_cast<uchar>(c >> 8);
            out[2] = static_cast<uchar>(c >> 16);
        }
    }
    return result;
}

} // namespace

QByteArray EncodePng(const TPixelImage& image, int level) {
    if (image.Empty())
        throw std::invalid_argument("EncodePng: an empty image has no PNG form");
    const QImage picture = ToQImage(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Qt's PNG writer maps quality q onto the zlib level (100 - q) × 9 div 91.
    const int clamped = std::clamp(level, 0, 9);
    writer.setQuality(100 - (clamped * 91 + 8) / 9);
    if (!writer.write(picture)) // in memory, only the memory can fail it
        throw std::bad_alloc();
    return bytes;
}

void SavePng(const std::string& path, const TPixelImage& image) {
    if (path.empty() || image.Empty())
        throw TError(TFailure::CreateFile, path,
                     {path.empty() ? ENOENT : EINVAL, std::system_category()});
    const QByteArray bytes = EncodePng(image);
    ReplaceFile(path,
                {std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))});
}

bool IsPngName(std::string_view path) {
    constexpr std::string_view suffix = ".png";
    if (path.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), path.end() - suffix.size(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
    });
}

void SavePicture(const std::string& path, const TPixelImage& image) {
    if (IsPngName(path))
        SavePng(path, image);
    else
        SaveBmp(path, image);
}

} // namespace ombrix
