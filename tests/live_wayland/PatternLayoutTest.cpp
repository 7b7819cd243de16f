#include "PatternLayout.h"

#include <gtest/gtest.h>

namespace ombrix {
namespace {

struct TLayoutCase {
    const char* Name;
    int PatternWidth, PatternHeight, Scale, OutputWidth, OutputHeight;
    TPatternLayout Expected;
    int Units = 1; ///< the scale is Scale / Units
};

class PatternLayoutTest : public testing::TestWithParam<TLayoutCase> {};

TEST_P(PatternLayoutTest, BufferAndGrid) {
    const TLayoutCase& c = GetParam();
    const TPatternLayout layout =
        c.Units == 1
            ? LayOutPattern(c.PatternWidth, c.PatternHeight, c.Scale, c.OutputWidth, c.OutputHeight)
            : LayOutPattern(c.PatternWidth, c.PatternHeight, c.Scale, c.Units, c.OutputWidth,
                            c.OutputHeight);
    EXPECT_EQ(layout, c.Expected);
    if (layout.Columns > 0) {
        // The grid covers the output and the buffer holds whole pattern repeats or the
        // output's whole side.
        EXPECT_GE(layout.Columns * layout.CellWidth(), c.OutputWidth);
        EXPECT_GE(layout.Rows * layout.CellHeight(), c.OutputHeight);
        EXPECT_EQ(layout.BufferWidth % layout.Scale, 0);
        EXPECT_EQ(layout.BufferHeight % layout.Scale, 0);
    }
}

// Worked by hand: the buffer side is the smallest multiple of the pattern side that is a
// multiple of the scale and at least an eighth of the output's physical side, or the
// output's side when the pattern reaches it.
INSTANTIATE_TEST_SUITE_P(
    Cases, PatternLayoutTest,
    testing::Values(
        // 4K at scale 1, the window's default field: 4 × 128 = 512 ≥ 480, 5 × 64 = 320 ≥ 270.
        TLayoutCase{"Default4K", 128, 64, 1, 3840, 2160, {512, 320, 8, 7, 1}},
        // The largest field with the shifted tiling: already above an eighth.
        TLayoutCase{"Largest", 512, 512, 1, 1920, 1080, {512, 512, 4, 3, 1}},
        // Odd sides at scale 2 repeat an even number of times: 74 → 148 ≥ 128,
        // 23 → 46 → 138 ≥ 96; cells of 74 × 69 surface units.
        TLayoutCase{"OddAtScale2", 37, 23, 2, 512, 384, {148, 138, 7, 6, 2}},
        // 6 is already a multiple of 3; 4 needs three repeats: 12, then 4 × 12 = 48 ≥ 45.
        TLayoutCase{"Scale3", 6, 4, 3, 120, 120, {48, 48, 8, 8, 3}},
        // A zoomed pattern larger than the output is cut to the output's side.
        TLayoutCase{"LargerThanOutput", 4096, 4096, 3, 1280, 720, {3840, 2160, 1, 1, 3}},
        // One pixel: 480 repeats across a 3840 wide output, 270 down 2160.
        TLayoutCase{"OnePixel", 1, 1, 1, 3840, 2160, {480, 270, 8, 8, 1}},
        // 1920 × 1080 pixels at 3/2 (1280 × 720 units): 3 × 512 = 1536 pixels across, two
        // cells of 1024 units; down the output's 1080 pixels, one cell of 720 units.
        TLayoutCase{"ThreeHalves", 512, 512, 3, 1280, 720, {1536, 1080, 2, 1, 3, 2}, 2},
        // The same screen at 5/4 (1536 × 864 units): 5 × 128 = 640 and 5 × 64 = 320 pixels,
        // cells of 512 × 256 units.
        TLayoutCase{"FiveQuarters", 128, 64, 5, 1536, 864, {640, 320, 3, 4, 5, 4}, 4},
        TLayoutCase{"EmptyPattern", 0, 64, 2, 800, 600, {0, 0, 0, 0, 2}},
        TLayoutCase{"NotConfigured", 128, 64, 0, 0, 600, {0, 0, 0, 0, 1}}),
    [](const testing::TestParamInfo<TLayoutCase>& info) { return info.param.Name; });

} // namespace
} // namespace ombrix
