// The tile's colours with AVX2, for processors without AVX-512, built for it and run only
// where the processor has it: a block of 8 × 8 cells is read as 8 runs down the columns,
// turned into 8 rows in registers and looked up 8 cells at a time with a gather.
#include "LiveKernels.h"

#include <immintrin.h>

#if defined(__x86_64__)

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

namespace ombrix::detail {

namespace {

// Rows of 8 cells become columns: r[k] element j moves to r[j] element k.
inline void Transpose(__m256i (&r)[8]) {
    __m256i t[8];
    for (int k = 0; k < 4; ++k) {
        t[2 * k] = _mm256_unpacklo_epi32(r[2 * k], r[2 * k + 1]);
        t[2 * k + 1] = _mm256_unpackhi_epi32(r[2 * k], r[2 * k + 1]);
    }
    __m256i u[8];
    for (int k = 0; k < 2; ++k) {
        u[4 * k] = _mm256_unpacklo_epi64(t[4 * k], t[4 * k + 2]);
        u[4 * k + 1] = _mm256_unpackhi_epi64(t[4 * k], t[4 * k + 2]);
        u[4 * k + 2] = _mm256_unpacklo_epi64(t[4 * k + 1], t[4 * k + 3]);
        u[4 * k + 3] = _mm256_unpackhi_epi64(t[4 * k + 1], t[4 * k + 3]);
    }
    for (int m = 0; m < 4; ++m) {
        r[m] = _mm256_permute2x128_si256(u[m], u[m + 4], 0x20);
        r[m + 4] = _mm256_permute2x128_si256(u[m], u[m + 4], 0x31);
    }
}

template <bool Past> inline void Store(std::uint32_t* to, __m256i pixels) {
    if constexpr (Past)
        _mm256_stream_si256(reinterpret_cast<__m256i*>(to), pixels);
    else
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), pixels);
}

template <bool Past>
void Colour(const TFieldView& field, const std::uint32_t* argb, bool shifted, std::uint32_t* out,
            std::size_t stride) {
    const int w = field.Width;
    const int h = field.Height;
    const int shift = shifted ? w / 2 : 0;
    const __m256i low = _mm256_set1_epi32(0xFF);
    const auto* table = reinterpret_cast<const int*>(argb);
    const auto row = [&](int y) { return out + static_cast<std::size_t>(y) * stride; };
    for (int y = 0; y < h; y += 8) {
        for (int x = 0; x < w; x += 8) {
            const int below = x >= shift ? x - shift : x - shift + w;
            __m256i r[8];
            for (int k = 0; k < 8; ++k)
                r[k] = _mm256_loadu_si256(
                    reinterpret_cast<const __m256i*>(&field.At(x + k + 1, y + 1)));
            Transpose(r);
            for (int j = 0; j < 8; ++j) {
                const __m256i pixels =
                    _mm256_i32gather_epi32(table, _mm256_and_si256(r[j], low), 4);
                Store<Past>(row(y + j) + x, pixels);
                if (shifted)
                    Store<Past>(row(h + y + j) + below, pixels);
            }
        }
    }
    if constexpr (Past)
        _mm_sfence();
}

} // namespace

void ColourTile8(const TFieldView& field, const std::uint32_t* argb, bool shifted,
                 std::uint32_t* out, std::size_t stride, bool past) {
    if (past)
        Colour<true>(field, argb, shifted, out, stride);
    else
        Colour<false>(field, argb, shifted, out, stride);
}

} // namespace ombrix::detail

#if defined(__clang__)
#pragma clang attribute pop
#endif

#else

namespace ombrix::detail {
void ColourTile8(const TFieldView&, const std::uint32_t*, bool, std::uint32_t*, std::size_t, bool) {
}
} // namespace ombrix::detail

#endif
