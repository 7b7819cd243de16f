// Telling when the live field has settled: it stands still, or it repeats a short cycle of
// generations. Each generation leaves a 64-bit fingerprint of its cells; a fingerprint
// equal to one of the last few says the field came back to a state it had, and from there
// it can only go round the same cycle again.
#pragma once

#include "FieldView.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace ombrix {

/// A fingerprint of the live cells of `field` (not its wrap border): fields that differ
/// in any cell give different values but for a chance of about 2^-64.
std::uint64_t FieldFingerprint(const TFieldView& field);

class TSettleWatch {
public:
    /// The longest cycle that counts as settled.
    static constexpr int LongestCycle = 16;

    /// Takes the fingerprint of the next generation. Returns the length of the cycle the
    /// field has entered (1 for a still field), or 0 while it has not come back to any of
    /// the last LongestCycle generations.
    int Add(std::uint64_t fingerprint);

    /// Forgets every generation (a field seeded anew).
    void Clear() { Count_ = 0; }

private:
    std::array<std::uint64_t, LongestCycle> Last_{};
    std::size_t Next_ = 0;  ///< where the next fingerprint goes
    std::size_t Count_ = 0; ///< how many of Last_ hold one
};

/// The seed a settled field starts afresh from, drawn from the one it started from: the
/// same run always goes on the same way.
std::uint32_t NextSeed(std::uint32_t seed);

} // namespace ombrix
