#include "Random.h"

namespace ombrix {

std::uint32_t RandSeed = 0;

std::int32_t Random(std::int32_t range) {
    RandSeed = RandSeed * 134775813u + 1u; // wraps modulo 2^32
    const std::uint64_t product =
        static_cast<std::uint64_t>(RandSeed) * static_cast<std::uint32_t>(range);
    return static_cast<std::int32_t>(product >> 32);
}

} // namespace ombrix
