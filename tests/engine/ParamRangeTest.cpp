#include "FieldModel.h"

#include <gtest/gtest.h>

#include <climits>

using namespace ombrix;

namespace {

struct RangeCase {
    TParamRange Range;
    std::int32_t Value;
    bool Inside;
    std::int32_t Clamped;
};

class ParamRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(ParamRange, ContainsAndClampAgreeOnTheBounds) {
    const RangeCase& c = GetParam();
    EXPECT_EQ(c.Range.Contains(c.Value), c.Inside);
    EXPECT_EQ(c.Range.Clamp(c.Value), c.Clamped);
}

// A made-up range 3..7, then the ranges whose bound is not a literal.
INSTANTIATE_TEST_SUITE_P(
    Bounds, ParamRange,
    ::testing::Values(RangeCase{{3, 7}, 2, false, 3}, RangeCase{{3, 7}, 3, true, 3},
                      RangeCase{{3, 7}, 7, true, 7}, RangeCase{{3, 7}, 8, false, 7},
                      RangeCase{{3, 7}, INT_MIN, false, 3}, RangeCase{{3, 7}, INT_MAX, false, 7},
                      RangeCase{Ranges::AreaH, 257, false, MaxAreaH},
                      RangeCase{ColDivRange(10), 11, false, 10}));

} // namespace
