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

namespace ombrix {

/// A sequence of Random draws of its own, for work that must not move the program's
/// sequence (the gallery's variations): while Run's function runs, RandSeed is the
/// stream's state; afterwards RandSeed is back as it was, also when the function throws,
/// and the stream goes on from where that function left it.
class TRandomStream {
public:
    explicit TRandomStream(std::uint32_t seed) : Seed_(seed) {}

    std::uint32_t Seed() const { return Seed_; }

    template <typename Function> decltype(auto) Run(Function&& function) {
        const TSwap swap(Seed_);
        return function();
    }

private:
    struct TSwap {
        explicit TSwap(std::uint32_t& own) : Own(own), Saved(RandSeed) { RandSeed = own; }
        ~TSwap() {
            Own = RandSeed;
            RandSeed = Saved;
        }
        TSwap(const TSwap&) = delete;
        TSwap& operator=(const TSwap&) = delete;
        std::uint32_t& Own;
        std::uint32_t Saved;
    };
    std::uint32_t Seed_;
};

} // namespace ombrix
