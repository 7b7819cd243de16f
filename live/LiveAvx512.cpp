// The live core's loops over the whole field with AVX-512, built for it and run only where
// the processor has it.
// - The tile's colours: a block of 16 × 16 cells is read as 16 runs down the columns,
//   turned into 16 rows in registers, and looked up 16 cells at a time in the first 32
//   colours, which two registers hold; a block with a cell past them is looked up cell by
//   cell.
// - The fingerprint: a run of 16 cells is one register of eight 64-bit words; the colours
//   take it along from the runs they read.
#include "LiveKernels.h"

#include <immintrin.h>

#if defined(__x86_64__)

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512dq"))), apply_to = function)
#else
#pragma GCC target("avx512f,avx512dq")
// GCC 12's own AVX-512 headers leave the unused part of some registers undefined on
// purpose, and then warn that it is.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace ombrix::detail {

namespace {

// Rows of 16 cells become columns: r[k] element j moves to r[j] element k.
inline void Transpose(__m512i (&r)[16]) {
    __m512i t[16];
    __m512i u[16];
    for (int k = 0; k < 8; ++k) {
        t[2 * k] = _mm512_unpacklo_epi32(r[2 * k], r[2 * k + 1]);
        t[2 * k + 1] = _mm512_unpackhi_epi32(r[2 * k], r[2 * k + 1]);
    }
    for (int k = 0; k < 4; ++k) {
        u[4 * k] = _mm512_unpacklo_epi64(t[4 * k], t[4 * k + 2]);
        u[4 * k + 1] = _mm512_unpackhi_epi64(t[4 * k], t[4 * k + 2]);
        u[4 * k + 2] = _mm512_unpacklo_epi64(t[4 * k + 1], t[4 * k + 3]);
        u[4 * k + 3] = _mm512_unpackhi_epi64(t[4 * k + 1], t[4 * k + 3]);
    }
    for (int k = 0; k < 2; ++k)
        for (int m = 0; m < 4; ++m) {
            t[8 * k + m] = _mm512_shuffle_i32x4(u[8 * k + m], u[8 * k + m + 4], 0x88);
            t[8 * k + m + 4] = _mm512_shuffle_i32x4(u[8 * k + m], u[8 * k + m + 4], 0xDD);
        }
    for (int m = 0; m < 8; ++m) {
        r[m] = _mm512_shuffle_i32x4(t[m], t[m + 8], 0x88);
        r[m + 8] = _mm512_shuffle_i32x4(t[m], t[m + 8], 0xDD);
    }
}

// One run of a band into the band's set of lanes.
inline void Take(__m512i& set, __m512i run) {
    set = _mm512_mullo_epi64(_mm512_xor_si512(set, run),
                             _mm512_set1_epi64(static_cast<long long>(FingerprintPrime)));
}

struct TSets {
    __m512i Of[FingerprintRuns];
    explicit TSets(const TFingerprintLanes& lanes) {
        for (int s = 0; s < FingerprintRuns; ++s)
            Of[s] = _mm512_loadu_si512(lanes.Lanes[s]);
    }
    void Into(TFingerprintLanes& lanes) const {
        for (int s = 0; s < FingerprintRuns; ++s)
            _mm512_storeu_si512(lanes.Lanes[s], Of[s]);
    }
};

template <bool Past> inline void Store(std::uint32_t* to, __m512i pixels) {
    if constexpr (Past)
        _mm512_stream_si512(reinterpret_cast<__m512i*>(to), pixels);
    else
        _mm512_storeu_si512(to, pixels);
}

template <bool Past>
void Colour(const TFieldView& field, const std::uint32_t* argb, bool shifted, std::uint32_t* out,
            std::size_t stride, TFingerprintLanes& lanes) {
    TSets sets(lanes);
    const int w = field.Width;
    const int h = field.Height;
    const int shift = shifted ? w / 2 : 0;
    const __m512i low = _mm512_loadu_si512(argb);
    const __m512i high = _mm512_loadu_si512(argb + 16);
    const __m512i last = _mm512_set1_epi32(31);
    const auto row = [&](int y) { return out + static_cast<std::size_t>(y) * stride; };
    for (int y = 0; y < h; y += 16) {
        __m512i& set = sets.Of[y / 16 % FingerprintRuns];
        for (int x = 0; x < w; x += 16) {
            // The copy's column of tile column x: rotated left by `shift`.
            const int below = x >= shift ? x - shift : x - shift + w;
            __m512i r[16];
            __m512i any = _mm512_setzero_si512();
            for (int k = 0; k < 16; ++k) {
                r[k] = _mm512_loadu_si512(&field.At(x + k + 1, y + 1));
                any = _mm512_or_si512(any, r[k]);
                Take(set, r[k]);
            }
            if (_mm512_cmpgt_epu32_mask(any, last) != 0) {
                for (int j = 0; j < 16; ++j)
                    for (int k = 0; k < 16; ++k) {
                        const std::uint32_t pixel =
                            argb[static_cast<std::uint8_t>(field.At(x + k + 1, y + j + 1))];
                        row(y + j)[x + k] = pixel;
                        if (shifted)
                            row(h + y + j)[below + k] = pixel;
                    }
                continue;
            }
            Transpose(r);
            for (int j = 0; j < 16; ++j) {
                const __m512i pixels = _mm512_permutex2var_epi32(low, r[j], high);
                Store<Past>(row(y + j) + x, pixels);
                if (shifted)
                    Store<Past>(row(h + y + j) + below, pixels);
            }
        }
    }
    if constexpr (Past)
        _mm_sfence(); // seen by the server before it is told
    sets.Into(lanes);
}

} // namespace

void FingerprintLanes16(const TFieldView& field, TFingerprintLanes& lanes) {
    TSets sets(lanes);
    const int bands = field.Height / 16;
    for (int b = 0; b < bands; ++b) {
        __m512i& set = sets.Of[b % FingerprintRuns];
        for (int x = 1; x <= field.Width; ++x)
            Take(set, _mm512_loadu_si512(&field.At(x, 16 * b + 1)));
    }
    sets.Into(lanes);
    FingerprintTail(field, lanes);
}

void ColourTile16(const TFieldView& field, const std::uint32_t* argb, bool shifted,
                  std::uint32_t* out, std::size_t stride, bool past, TFingerprintLanes& lanes) {
    if (past)
        Colour<true>(field, argb, shifted, out, stride, lanes);
    else
        Colour<false>(field, argb, shifted, out, stride, lanes);
}

} // namespace ombrix::detail

#if defined(__clang__)
#pragma clang attribute pop
#endif

#else

namespace ombrix::detail {
void ColourTile16(const TFieldView&, const std::uint32_t*, bool, std::uint32_t*, std::size_t, bool,
                  TFingerprintLanes&) {}
void FingerprintLanes16(const TFieldView& field, TFingerprintLanes& lanes) {
    FingerprintLanesPlain(field, lanes);
}
} // namespace ombrix::detail

#endif
