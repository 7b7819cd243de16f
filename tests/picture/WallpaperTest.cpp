#include "Wallpaper.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace ombrix;

namespace {

// Tile pixel (x, y) names its column and row.
TColor Named(int x, int y) {
    return static_cast<TColor>(100 * x + y);
}

TPixelImage NamedTile(int w, int h) {
    TPixelImage tile(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            tile.SetPixel(x, y, Named(x, y));
    return tile;
}

// One row of a picture as the tile columns it shows (tile row is checked apart).
std::vector<int> ColumnsOfRow(const TPixelImage& picture, int y) {
    std::vector<int> columns;
    for (int x = 0; x < picture.Width(); ++x)
        columns.push_back(static_cast<int>(picture.Pixel(x, y)) / 100);
    return columns;
}

} // namespace

// Worked rows, worked out from the wall's tile positions: in odd tile rows of a shifted
// tiling the first tile stands at x = -(W div 2), so picture column 0 shows tile column
// W div 2.
struct WallpaperCase {
    const char* Name;
    int TileW, TileH, TilingType, Width, Height;
    int Row;                  // a picture row to look at
    int TileRow;              // the tile row it must show
    std::vector<int> Columns; // the tile columns it must show, left to right
};

void PrintTo(const WallpaperCase& c, std::ostream* os) {
    *os << c.Name;
}

class WallpaperRows : public ::testing::TestWithParam<WallpaperCase> {};

TEST_P(WallpaperRows, ShowTheWallsTileColumns) {
    const WallpaperCase& c = GetParam();
    const TPixelImage picture =
        WallpaperPicture(NamedTile(c.TileW, c.TileH), c.TilingType, c.Width, c.Height);
    ASSERT_EQ(picture.Width(), c.Width);
    ASSERT_EQ(picture.Height(), c.Height);
    EXPECT_EQ(ColumnsOfRow(picture, c.Row), c.Columns);
    for (int x = 0; x < c.Width; ++x)
        ASSERT_EQ(static_cast<int>(picture.Pixel(x, c.Row)) % 100, c.TileRow) << "x " << x;
}

INSTANTIATE_TEST_SUITE_P(
    Tilings, WallpaperRows,
    ::testing::Values(
        WallpaperCase{"PlainFirstRow", 4, 2, 0, 10, 5, 0, 0, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}},
        WallpaperCase{
            "PlainThirdTileRowIsNotShifted", 4, 2, 0, 10, 5, 4, 0, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}},
        WallpaperCase{"ShiftedEvenTileRow", 4, 2, 1, 10, 5, 1, 1, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}},
        WallpaperCase{"ShiftedOddTileRow", 4, 2, 1, 10, 5, 2, 0, {2, 3, 0, 1, 2, 3, 0, 1, 2, 3}},
        WallpaperCase{
            "ShiftedCutAtTheBottom", 4, 2, 1, 10, 5, 4, 0, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}},
        // Odd width 5: the shift is the smaller half, 2, and the view's odd rows show
        // every column (2, 3, 4, 0, 1), unlike the export composite.
        WallpaperCase{
            "OddWidthOddTileRow", 5, 3, 1, 12, 7, 4, 1, {2, 3, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3}},
        WallpaperCase{"OddWidthFifthTileRowAgainUnshifted",
                      5,
                      3,
                      1,
                      12,
                      7,
                      6,
                      0,
                      {0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1}},
        WallpaperCase{"OtherTilingValueShiftsToo", 4, 1, 7, 6, 2, 1, 0, {2, 3, 0, 1, 2, 3}},
        WallpaperCase{"WidthOneNeverShifts", 1, 1, 1, 3, 2, 1, 0, {0, 0, 0}},
        WallpaperCase{"PictureSmallerThanTheTile", 8, 8, 1, 3, 1, 0, 0, {0, 1, 2}},
        WallpaperCase{"OnePixel", 5, 3, 1, 1, 1, 0, 0, {0}}));

TEST(WallpaperPicture, EveryPixelFollowsTheRuleOnAWideShiftedPicture) {
    // Larger than the two-row period the picture is copied in, with a tile whose width
    // is odd and a picture size that is no multiple of it.
    const int w = 7, h = 3, width = 100, height = 50;
    const TPixelImage picture = WallpaperPicture(NamedTile(w, h), 1, width, height);
    for (int y = 0; y < height; ++y) {
        const int shift = (y / h) % 2 == 1 ? w / 2 : 0;
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(picture.Pixel(x, y), Named((x + shift) % w, y % h)) << x << ", " << y;
    }
}

struct WallpaperSizeCase {
    int Width, Height;
    bool Allowed;
};

class WallpaperSizes : public ::testing::TestWithParam<WallpaperSizeCase> {};

TEST_P(WallpaperSizes, OnlyOneToTheLimitOnEachSide) {
    const WallpaperSizeCase c = GetParam();
    const TPixelImage tile = NamedTile(3, 2);
    if (c.Allowed) {
        const TPixelImage picture = WallpaperPicture(tile, 1, c.Width, c.Height);
        EXPECT_EQ(picture.Width(), c.Width);
        EXPECT_EQ(picture.Height(), c.Height);
        return;
    }
    try {
        WallpaperPicture(tile, 1, c.Width, c.Height);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), WallpaperSizeMessage(c.Width, c.Height));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, WallpaperSizes,
    ::testing::Values(WallpaperSizeCase{16384, 1, true}, WallpaperSizeCase{1, 16384, true},
                      WallpaperSizeCase{16385, 1, false}, WallpaperSizeCase{1, 16385, false},
                      WallpaperSizeCase{0, 1080, false}, WallpaperSizeCase{1920, 0, false},
                      WallpaperSizeCase{-1, 5, false}));

TEST(WallpaperPicture, SizeMessageNamesTheSizeAndTheLimit) {
    EXPECT_EQ(WallpaperSizeMessage(20000, 10),
              "A wallpaper of 20000 x 10 pixels cannot be made: each side must lie between 1 "
              "and 16384 pixels");
}

TEST(WallpaperPicture, EmptyTileIsRefused) {
    EXPECT_THROW(WallpaperPicture(TPixelImage{}, 0, 10, 10), std::invalid_argument);
}
