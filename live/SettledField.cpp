#include "SettledField.h"

#include "LiveKernels.h"

namespace ombrix {

namespace {

constexpr std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    x ^= x >> 33;
    return x;
}

} // namespace

namespace detail {

TFingerprintLanes::TFingerprintLanes() {
    std::uint64_t start = 1;
    for (auto& set : Lanes)
        for (std::uint64_t& lane : set)
            lane = start++;
}

void FingerprintLanesPlain(const TFieldView& field, TFingerprintLanes& lanes) {
    const int bands = field.Height / 16;
    for (int b = 0; b < bands; ++b) {
        std::uint64_t* set = lanes.Lanes[b % FingerprintRuns];
        for (int x = 1; x <= field.Width; ++x) {
            const std::int32_t* run = &field.At(x, 16 * b + 1);
            for (int l = 0; l < 8; ++l) {
                const std::uint64_t word =
                    static_cast<std::uint64_t>(static_cast<std::uint32_t>(run[2 * l])) |
                    static_cast<std::uint64_t>(static_cast<std::uint32_t>(run[2 * l + 1])) << 32;
                set[l] = (set[l] ^ word) * FingerprintPrime;
            }
        }
    }
    FingerprintTail(field, lanes);
}

void FingerprintTail(const TFieldView& field, TFingerprintLanes& lanes) {
    for (int x = 1; x <= field.Width; ++x)
        for (int y = field.Height / 16 * 16 + 1; y <= field.Height; ++y)
            lanes.Tail =
                (lanes.Tail ^ static_cast<std::uint32_t>(field.At(x, y))) * FingerprintPrime;
}

std::uint64_t FingerprintOf(const TFieldView& field, const TFingerprintLanes& lanes) {
    std::uint64_t result = Mix(static_cast<std::uint64_t>(field.Width) << 32 |
                               static_cast<std::uint32_t>(field.Height));
    for (const auto& set : lanes.Lanes)
        for (const std::uint64_t lane : set)
            result = Mix(result ^ lane);
    return Mix(result ^ lanes.Tail);
}

} // namespace detail

std::uint64_t FieldFingerprint(const TFieldView& field) {
    static const bool fast = detail::HasAvx512Kernels();
    detail::TFingerprintLanes lanes;
    if (fast)
        detail::FingerprintLanes16(field, lanes);
    else
        detail::FingerprintLanesPlain(field, lanes);
    return detail::FingerprintOf(field, lanes);
}

int TSettleWatch::Add(std::uint64_t fingerprint) {
    // Back from the newest: the first match is the cycle's length.
    int cycle = 0;
    for (std::size_t back = 1; back <= Count_ && cycle == 0; ++back)
        if (Last_[(Next_ + LongestCycle - back) % LongestCycle] == fingerprint)
            cycle = static_cast<int>(back);
    Last_[Next_] = fingerprint;
    Next_ = (Next_ + 1) % LongestCycle;
    if (Count_ < LongestCycle)
        ++Count_;
    return cycle;
}

std::uint32_t NextSeed(std::uint32_t seed) {
    return static_cast<std::uint32_t>(Mix(seed + 0x9E3779B97F4A7C15ull) >> 32);
}

} // namespace ombrix
