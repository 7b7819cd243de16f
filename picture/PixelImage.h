// A true-colour image held in memory, the form of the wall tile and of the export
// composite. Nothing here knows of the window toolkit; the main window converts the
// tile for the screen itself.
#pragma once

#include "FieldModel.h"

#include <cstddef>
#include <vector>

namespace ombrix {

/// The message for an image that cannot be given its size for lack of memory.
inline constexpr const char* OutOfResourcesMessage = "ｼｽﾃﾑ ﾘｿｰｽが足りません";

/// Width × Height pixels, each a TColor 0x00BBGGRR, stored row by row from the top,
/// each row from the left, with no gap between rows. A new image is empty (0 × 0).
class TPixelImage {
public:
    TPixelImage() = default;
    /// The same as SetSize(width, height) on an empty image.
    TPixelImage(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }

    /// Gives the image a new size. When the size changes the content is left
    /// unspecified (every caller writes every pixel afterwards); when it stays the
    /// same, nothing happens. Negative sizes count as 0. Throws std::runtime_error
    /// with OutOfResourcesMessage when the memory cannot be had; the image then keeps
    /// its old size and pixels.
    void SetSize(int width, int height);

    /// Pixel (x, y), 0 <= x < Width(), 0 <= y < Height(); not checked.
    TColor Pixel(int x, int y) const { return FPixels[Index(x, y)]; }
    void SetPixel(int x, int y, TColor c) { FPixels[Index(x, y)] = c; }

    /// The first pixel of row y; the row's Width() pixels follow it.
    TColor* Row(int y) { return FPixels.data() + Index(0, y); }
    const TColor* Row(int y) const { return FPixels.data() + Index(0, y); }
    /// All Width() × Height() pixels, row 0 first.
    TColor* Data() { return FPixels.data(); }
    const TColor* Data() const { return FPixels.data(); }

    friend bool operator==(const TPixelImage&, const TPixelImage&) = default;

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) +
               static_cast<std::size_t>(x);
    }

    int FWidth = 0;
    int FHeight = 0;
    std::vector<TColor> FPixels;
};

/// Draws `source` into `target` with its top-left corner at (x, y), which may lie
/// outside the target: an opaque 1:1 copy, clipped to the target.
void DrawImage(TPixelImage& target, const TPixelImage& source, int x, int y);

} // namespace ombrix
