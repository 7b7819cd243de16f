#include "SettledField.h"

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

std::uint64_t FieldFingerprint(const TFieldView& field) {
    // Two cells to a word, four words to a round in lanes of their own, so that the
    // multiplications overlap; each column's cells are contiguous.
    constexpr std::uint64_t Prime = 0x9E3779B97F4A7C15ull;
    std::uint64_t lanes[4] = {1, 2, 3, 4};
    const auto pair = [](const std::int32_t* cells) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(cells[0])) |
               static_cast<std::uint64_t>(static_cast<std::uint32_t>(cells[1])) << 32;
    };
    for (int x = 1; x <= field.Width; ++x) {
        const std::int32_t* column = &field.At(x, 1);
        int y = 0;
        for (; y + 8 <= field.Height; y += 8) {
            lanes[0] = (lanes[0] ^ pair(column + y)) * Prime;
            lanes[1] = (lanes[1] ^ pair(column + y + 2)) * Prime;
            lanes[2] = (lanes[2] ^ pair(column + y + 4)) * Prime;
            lanes[3] = (lanes[3] ^ pair(column + y + 6)) * Prime;
        }
        for (; y < field.Height; ++y)
            lanes[0] = (lanes[0] ^ static_cast<std::uint32_t>(column[y])) * Prime;
        // The column's end, so that the same cells in other columns differ.
        lanes[1] = (lanes[1] ^ static_cast<std::uint64_t>(x)) * Prime;
    }
    std::uint64_t result = Mix(static_cast<std::uint64_t>(field.Width) << 32 |
                               static_cast<std::uint32_t>(field.Height));
    for (const std::uint64_t lane : lanes)
        result = Mix(result ^ lane);
    return result;
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
