// Where the desktop windows go among a screen's monitors, and when windows cover the root.
#include "X11Outputs.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace ombrix;

namespace {

using TRects = std::vector<xcb_rectangle_t>;

std::vector<std::tuple<int, int, int, int>> Plain(const TRects& rects) {
    std::vector<std::tuple<int, int, int, int>> plain;
    for (const xcb_rectangle_t& r : rects)
        plain.emplace_back(r.x, r.y, r.width, r.height);
    return plain;
}

} // namespace

TEST(X11Areas, EachPlaceOnceNoneOverAnother) {
    const struct {
        const char* What;
        TRects Monitors;
        TRects Expected;
    } cases[] = {
        {"two outputs side by side",
         {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}},
         {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}},
        {"an output split in two halves by the user",
         {{0, 0, 3840, 2160}, {1920, 0, 1920, 2160}, {0, 0, 1920, 2160}},
         {{0, 0, 1920, 2160}, {1920, 0, 1920, 2160}}},
        {"a split that leaves a part uncovered keeps the whole",
         {{0, 0, 3840, 2160}, {0, 0, 1920, 2160}},
         {{0, 0, 3840, 2160}}},
        {"mirrored outputs of two sizes",
         {{0, 0, 1280, 1024}, {0, 0, 1920, 1080}},
         {{0, 0, 1920, 1080}}},
        {"the same monitor twice", {{0, 0, 800, 600}, {0, 0, 800, 600}}, {{0, 0, 800, 600}}},
        {"partly overlapping", {{0, 0, 1000, 800}, {500, 0, 1200, 800}}, {{500, 0, 1200, 800}}},
        {"an empty monitor", {{0, 0, 0, 0}, {0, 0, 640, 480}}, {{0, 0, 640, 480}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Plain(DesktopAreas(c.Monitors)), Plain(c.Expected)) << c.What;
}

TEST(X11Areas, CoveredOnlyWhenNothingShows) {
    const xcb_rectangle_t screen{0, 0, 100, 80};
    const struct {
        const char* What;
        TRects Windows;
        bool Covered;
    } cases[] = {
        {"a fullscreen window", {{0, 0, 100, 80}}, true},
        {"a larger window past the corner", {{-10, -10, 200, 200}}, true},
        {"two halves", {{0, 0, 50, 80}, {50, 0, 50, 80}}, true},
        {"four quarters overlapping",
         {{0, 0, 60, 50}, {40, 0, 60, 50}, {0, 30, 60, 50}, {40, 30, 60, 50}},
         true},
        {"a one-pixel gap", {{0, 0, 50, 80}, {51, 0, 49, 80}}, false},
        {"a hole in the middle",
         {{0, 0, 100, 30}, {0, 50, 100, 30}, {0, 30, 40, 20}, {60, 30, 40, 20}},
         false},
        {"no window", {}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CoveredBy(screen, c.Windows), c.Covered) << c.What;
}
