// Inside the pattern maker: the tile coloured sixteen by sixteen cells at a time with
// AVX-512, where the processor has it. Only the maker and its tests include this.
#pragma once

#include "FieldView.h"

#include <cstddef>
#include <cstdint>

namespace ombrix::detail {

/// Whether ColourTile16 runs on this processor.
bool HasColourTile16();

/// Whether ColourTile16 takes a field of this size: whole blocks of 16 × 16 cells, and
/// for the shifted copy a half width that is whole blocks too.
constexpr bool FitsColourTile16(int width, int height, bool shifted) {
    return width > 0 && height > 0 && width % (shifted ? 32 : 16) == 0 && height % 16 == 0;
}

/// The tile of `field` (FitsColourTile16) into `out`, rows `stride` pixels apart, each cell
/// the entry of `argb` its low 8 bits pick; with `shifted`, the tile rotated left by half
/// its width too, in the rows below it. `past`: the stores bypass the cache (`out` 64-byte
/// aligned, `stride` a multiple of 16), for memory this program does not read again.
void ColourTile16(const TFieldView& field, const std::uint32_t* argb, bool shifted,
                  std::uint32_t* out, std::size_t stride, bool past);

} // namespace ombrix::detail
