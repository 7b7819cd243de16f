// The program's single pseudo-random source. It is never seeded from the clock:
// every run starts from RandSeed = 0, so the same settings give the same field.
#pragma once

#include <cstdint>

namespace ombrix {

/// The generator's state; 0 at program start, changed only by Random.
extern std::uint32_t RandSeed;

/// Advances RandSeed one step and returns a value in 0..range-1 (range >= 1).
std::int32_t Random(std::int32_t range);

} // namespace ombrix
