// Inside the live core: its inner loops over the whole field, each also built for AVX-512
// and run so where the processor has it. Only the core and its tests include this.
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

/// The fingerprint's state. Each column's cells go by runs of 16, two cells to a 64-bit
/// word, the eight words of a run into the eight lanes of one of FingerprintRuns sets of
/// lanes in turn (run k of a column into set k mod FingerprintRuns): the multiplications
/// of different sets overlap. A column's last cells (fewer than 16) go one by one into
/// Tail, and each column's number into Ends when it is done.
inline constexpr int FingerprintRuns = 4;
inline constexpr std::uint64_t FingerprintPrime = 0x9E3779B97F4A7C15ull;
struct TFingerprintLanes {
    std::uint64_t Lanes[FingerprintRuns][8];
    std::uint64_t Tail = 0;
    std::uint64_t Ends = 0;
};

/// Whether FingerprintLanes16 runs on this processor (AVX-512 with 64-bit products).
bool HasFingerprintLanes16();

/// Takes the live cells of `field` into `lanes`, the way described above: one cell at a
/// time, or with AVX-512.
void FingerprintLanesPlain(const TFieldView& field, TFingerprintLanes& lanes);
void FingerprintLanes16(const TFieldView& field, TFingerprintLanes& lanes);

} // namespace ombrix::detail
