// Inside the live core: its inner loops over the whole field, built for AVX-512 or AVX2 and
// run so where the processor has it. Only the core and its tests include this.
#pragma once

#include "FieldView.h"

#include <cstddef>
#include <cstdint>

namespace ombrix::detail {

struct TFingerprintLanes;

/// Whether ColourTile16 and FingerprintLanes16 run on this processor (AVX-512 with its
/// 64-bit products).
bool HasAvx512Kernels();

/// Whether ColourTile8 runs on this processor (AVX2).
bool HasAvx2Kernels();

/// Whether ColourTile8 takes a field of this size: whole blocks of 8 × 8 cells, and for
/// the shifted copy a half width that is whole blocks too.
constexpr bool FitsColourTile8(int width, int height, bool shifted) {
    return width > 0 && height > 0 && width % (shifted ? 16 : 8) == 0 && height % 8 == 0;
}

/// ColourTile16's work with AVX2, 8 × 8 cells at a time, for any cell (the colours looked
/// up one by one), without the fingerprint; `out` 32-byte aligned for `past`.
void ColourTile8(const TFieldView& field, const std::uint32_t* argb, bool shifted,
                 std::uint32_t* out, std::size_t stride, bool past);

/// Whether ColourTile16 takes a field of this size: whole blocks of 16 × 16 cells, and
/// for the shifted copy a half width that is whole blocks too.
constexpr bool FitsColourTile16(int width, int height, bool shifted) {
    return width > 0 && height > 0 && width % (shifted ? 32 : 16) == 0 && height % 16 == 0;
}

/// The tile of `field` (FitsColourTile16) into `out`, rows `stride` pixels apart, each cell
/// the entry of `argb` its low 8 bits pick; with `shifted`, the tile rotated left by half
/// its width too, in the rows below it. `past`: the stores bypass the cache (`out` 64-byte
/// aligned, `stride` a multiple of 16), for memory this program does not read again. The
/// cells, read anyway, go into `lanes` too, as FingerprintLanes16 takes them.
void ColourTile16(const TFieldView& field, const std::uint32_t* argb, bool shifted,
                  std::uint32_t* out, std::size_t stride, bool past, TFingerprintLanes& lanes);

/// The fingerprint's state. The cells go by bands of 16 rows, and in a band column by
/// column as runs of 16 cells, two cells to a 64-bit word: the eight words of a run into
/// the eight lanes of the band's set of lanes (band b into set b mod FingerprintRuns), so
/// that the multiplications of different sets overlap. The rows below the last whole band
/// go cell by cell, column by column, into Tail.
inline constexpr int FingerprintRuns = 4;
inline constexpr std::uint64_t FingerprintPrime = 0x9E3779B97F4A7C15ull;
struct TFingerprintLanes {
    /// Each lane starts from a value of its own.
    TFingerprintLanes();
    std::uint64_t Lanes[FingerprintRuns][8];
    std::uint64_t Tail = 0;
};

/// Takes the live cells of `field` into `lanes`, the way described above: one cell at a
/// time, or with AVX-512.
void FingerprintLanesPlain(const TFieldView& field, TFingerprintLanes& lanes);
void FingerprintLanes16(const TFieldView& field, TFingerprintLanes& lanes);
/// Only the rows below the last whole band, into Tail.
void FingerprintTail(const TFieldView& field, TFingerprintLanes& lanes);
/// The fingerprint of the lanes that took every cell of `field`.
std::uint64_t FingerprintOf(const TFieldView& field, const TFingerprintLanes& lanes);

} // namespace ombrix::detail
