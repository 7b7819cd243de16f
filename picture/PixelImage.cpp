#include "PixelImage.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace ombrix {

TPixelImage::TPixelImage(int width, int height) {
    SetSize(width, height);
}

void TPixelImage::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == Width_ && height == Height_)
        return;
    // Both factors are below 2^31, so the product fits in 64 bits.
    const std::uint64_t count =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (count > Pixels_.max_size())
        throw std::bad_alloc();
    // Build the new pixels first, so a failure leaves the old picture in place.
    std::vector<TColor> pixels(static_cast<std::size_t>(count));
    Pixels_.swap(pixels);
    Width_ = width;
    Height_ = height;
}

void DrawImage(TPixelImage& target, const TPixelImage& source, int x, int y) {
    // Clip in 64 bits: x + source width can pass the int range.
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right =
        std::min<std::int64_t>(std::int64_t{x} + source.Width(), target.Width());
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t{y} + source.Height(), target.Height());
    if (left >= right || top >= bottom)
        return;
    const auto width = static_cast<std::size_t>(right - left);
    const auto sourceLeft = static_cast<std::size_t>(left - x);
    for (std::int64_t row = top; row < bottom; ++row) {
        const TColor* from = source.Row(static_cast<int>(row - y)) + sourceLeft;
        std::copy(from, from + width, target.Row(static_cast<int>(row)) + left);
    }
}

} // namespace ombrix
