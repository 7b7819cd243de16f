#include "LivePattern.h"

#include "LiveKernels.h"
#include "SettledField.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace ombrix {

namespace {

std::uint32_t Argb(TColor c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// The tile, row by row, `stride` pixels apart. Columns of the field lie far apart: a band
// of rows at a time reads a short run of each column and keeps the band's rows cached.
void ColourTile(const TFieldView& field, const std::uint32_t (&argb)[ColorTableSize],
                std::uint32_t* out, std::size_t stride) {
    constexpr int Band = 16;
    for (int top = 0; top < field.Height; top += Band) {
        const int rows = std::min(Band, field.Height - top);
        std::uint32_t* band = out + static_cast<std::size_t>(top) * stride;
        for (int i = 0; i < field.Width; ++i) {
            const std::int32_t* column = &field.At(i + 1, top + 1);
            for (int j = 0; j < rows; ++j)
                band[static_cast<std::size_t>(j) * stride + static_cast<std::size_t>(i)] =
                    argb[static_cast<std::uint8_t>(column[j])];
        }
    }
}

const bool Fast = detail::HasAvx512Kernels();
const bool Avx2 = detail::HasAvx2Kernels();

// `width` pixels of `from` rotated left by `shift`, into `to`.
void Rotated(const std::uint32_t* from, int width, int shift, std::uint32_t* to) {
    std::memcpy(to, from + shift, sizeof(std::uint32_t) * static_cast<std::size_t>(width - shift));
    std::memcpy(to + (width - shift), from,
                sizeof(std::uint32_t) * static_cast<std::size_t>(shift));
}

} // namespace

std::pair<int, int> TLivePatternMaker::Size(const TFieldView& field, int tilingType, int zoom,
                                            TPlaceSize limit) {
    int width = field.Width * zoom;
    int height = (tilingType == 0 ? 1 : 2) * field.Height * zoom;
    if (limit.Width > 0)
        width = std::min(width, limit.Width);
    if (limit.Height > 0)
        height = std::min(height, limit.Height);
    return {width, height};
}

TLivePattern TLivePatternMaker::Make(const TFieldView& field,
                                     const TColor (&colorTable)[ColorTableSize], int tilingType,
                                     int zoom, TPatternMemory given, TPlaceSize limit,
                                     std::uint64_t* fingerprint) {
    std::uint32_t argb[ColorTableSize];
    for (int i = 0; i < ColorTableSize; ++i)
        argb[i] = Argb(colorTable[i]);
    const int w = field.Width;
    const int h = field.Height;
    const int rows = tilingType == 0 ? h : 2 * h;
    const int shift = w / 2;
    TLivePattern pattern;
    std::tie(pattern.Width, pattern.Height) = Size(field, tilingType, zoom, limit);
    const bool cut = pattern.Width < w * zoom || pattern.Height < rows * zoom;
    const std::size_t width = static_cast<std::size_t>(pattern.Width);
    // A display's memory that only the server reads next: where it is aligned for it, the
    // stores bypass the cache instead of first fetching each line.
    std::uint32_t* memory = given.Pixels;
    int stride = given.Stride;
    const bool past = memory && !given.ReadAgain &&
                      reinterpret_cast<std::uintptr_t>(memory) % 64 == 0 && stride % 16 == 0;
    if (!memory) {
        Pixels_.resize(width * static_cast<std::size_t>(pattern.Height));
        memory = Pixels_.data();
        stride = pattern.Width;
    }
    pattern.Stride = stride;
    pattern.Pixels = memory;
    const std::size_t step = static_cast<std::size_t>(stride);
    const auto row = [&](int y) { return memory + static_cast<std::size_t>(y) * step; };

    if (cut) {
        // Only the top-left part shows: from the whole tile (the shifted half needs whole
        // rows), each cell zoom × zoom as far as the part goes.
        Tile_.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        ColourTile(field, argb, Tile_.data(), static_cast<std::size_t>(w));
        for (int j = 0; j * zoom < pattern.Height; ++j) {
            const std::uint32_t* from = Tile_.data() + static_cast<std::size_t>(j % h) * w;
            const int start = j < h ? 0 : shift;
            std::uint32_t* first = row(j * zoom);
            for (int x = 0; x < pattern.Width; x += zoom)
                std::fill_n(first + x, std::min(zoom, pattern.Width - x),
                            from[(x / zoom + start) % w]);
            for (int repeat = 1; repeat < zoom && j * zoom + repeat < pattern.Height; ++repeat)
                std::copy(first, first + pattern.Width, row(j * zoom + repeat));
        }
    } else if (zoom == 1 && Fast && detail::FitsColourTile16(w, h, tilingType != 0)) {
        detail::TFingerprintLanes lanes;
        detail::ColourTile16(field, argb, tilingType != 0, memory, step, past, lanes);
        if (fingerprint) {
            detail::FingerprintTail(field, lanes);
            *fingerprint = detail::FingerprintOf(field, lanes);
            fingerprint = nullptr;
        }
    } else if (zoom == 1 && Avx2 && detail::FitsColourTile8(w, h, tilingType != 0)) {
        detail::ColourTile8(field, argb, tilingType != 0, memory, step, past);
    } else if (zoom == 1) {
        // The tile is the pattern's first rows; the shifted half copies them.
        ColourTile(field, argb, memory, step);
        for (int j = h; j < rows; ++j)
            Rotated(row(j - h), w, shift, row(j));
    } else {
        Tile_.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        ColourTile(field, argb, Tile_.data(), static_cast<std::size_t>(w));
        for (int j = 0; j < rows; ++j) {
            const std::uint32_t* from = Tile_.data() + static_cast<std::size_t>(j % h) * w;
            const int start = j < h ? 0 : shift;
            std::uint32_t* first = row(j * zoom);
            std::uint32_t* to = first;
            for (int i = 0; i < w; ++i)
                to = std::fill_n(to, zoom, from[(i + start) % w]);
            for (int repeat = 1; repeat < zoom; ++repeat)
                std::copy(first, first + width, row(j * zoom + repeat));
        }
    }
    if (fingerprint)
        *fingerprint = FieldFingerprint(field);
    return pattern;
}

} // namespace ombrix
