// Models for tests and benchmarks, and the random source's state under a test's control.
#pragma once

#include "FieldModel.h"

#include <cstdint>
#include <memory>

namespace ombrix::testing {

/// A zero-filled model, as the main window starts it before reading the settings.
std::unique_ptr<TFieldModel> BlankModel();

/// A blank model sized `w` x `h` with `useColCnt` states and tiling `tiling`; the other
/// parameters take their default values.
std::unique_ptr<TFieldModel> NewModel(int w = Defaults::AreaW, int h = Defaults::AreaH,
                                      int useColCnt = Defaults::UseColCnt,
                                      int tiling = Defaults::TilingType);

/// NewModel with its field drawn by InitField from RandSeed 0; RandSeed is left as it was.
std::unique_ptr<TFieldModel> SeededModel(int w, int h, int tiling = Defaults::TilingType);

/// Every element of the field, the wrap border included, set to `value`.
void FillField(TFieldModel& model, std::int32_t value);

/// RandSeed after n draws from 0: seed = seed * 134775813 + 1 modulo 2^32 per draw.
std::uint32_t SeedAfter(int n);

/// Sets RandSeed for the life of the object and puts the earlier state back at its end,
/// so that no test sees the draws of another.
class RandomStateGuard {
public:
    explicit RandomStateGuard(std::uint32_t seed = 0);
    ~RandomStateGuard();
    RandomStateGuard(const RandomStateGuard&) = delete;
    RandomStateGuard& operator=(const RandomStateGuard&) = delete;

private:
    std::uint32_t Saved_;
};

} // namespace ombrix::testing
