// A true-colour image held in memory, the form of the wall tile and of the export
// composite. Nothing here knows of the window toolkit; the main window converts the
// tile for the screen itself.
#pragma once

#include "FieldModel.h"

#include <cstddef>
#include <vector>

namespace ombrix {

/// Width × Height pixels, each a TColor 0x00BBGGRR, stored row by row from the top,
/// each row from the left, with no gap between rows. A new image is empty (0 × 0).
class TPixelImage {
public:
    TPixelImage() = default;
    /// The same as SetSize(width, height) on an empty image.
    TPixelImage(int width, int height);

    int Width() const { return Width_; }
    int Height() const { return Height_; }
    bool Empty() const { return Width_ == 0 || Height_ == 0; }

    /// Gives the image a new size. When the size changes the content is left
    /// unspecified (every caller writes every pixel afterwards); when it stays the
    /// same, nothing happens. Negative sizes count as 0. Throws std::bad_alloc when
    /// the memory cannot be had; the image then keeps its old size and pixels.
    void SetSize(int width, int height);

    /// Pixel (x, y), 0 <= x < Width(), 0 <= y < Height(); not checked.
    TColor Pixel(int x, int y) const { return Pixels_[Index(x, y)]; }
    void SetPixel(int x, int y, TColor c) { Pixels_[Index(x, y)] = c; }

    /// The first pixel of row y; the row's Width() pixels follow it.
    TColor* Row(int y) { return Pixels_.data() + Index(0, y); }
    const TColor* Row(int y) const { return Pixels_.data() + Index(0, y); }
    /// All Width() × Height() pixels, row 0 first.
    TColor* Data() { return Pixels_.data(); }
    const TColor* Data() const { return Pixels_.data(); }

    friend bool operator==(const TPixelImage&, const TPixelImage&) = default;

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(Width_) +
               static_cast<std::size_t>(x);
    }

    int Width_ = 0;
    int Height_ = 0;
    std::vector<TColor> Pixels_;
};

/// Draws `source` into `target` with its top-left corner at (x, y), which may lie
/// outside the target: an opaque 1:1 copy, clipped to the target.
void DrawImage(TPixelImage& target, const TPixelImage& source, int x, int y);

} // namespace ombrix
