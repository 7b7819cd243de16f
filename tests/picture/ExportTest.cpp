#include "Export.h"
#include "BmpFile.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ombrix;

namespace {

// Pixel (x, y) of a test tile: a value that names its column and row.
TColor TilePixel(int x, int y) {
    return static_cast<TColor>(0x010000 + 100 * x + y);
}

TPixelImage NamedTile(int w, int h) {
    TPixelImage tile(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            tile.SetPixel(x, y, TilePixel(x, y));
    return tile;
}

} // namespace

// DrawImage: a 2 x 2 source (values 1 2 / 3 4) drawn into a 4 x 3 target of zeros.
struct DrawCase {
    const char* Name;
    int X, Y;
    TColor Expected[3][4]; // [row][column]
};

void PrintTo(const DrawCase& c, std::ostream* os) {
    *os << c.Name;
}

class DrawImageTable : public ::testing::TestWithParam<DrawCase> {};

TEST_P(DrawImageTable, CopiesTheOverlapOnly) {
    const DrawCase& c = GetParam();
    TPixelImage source(2, 2);
    source.SetPixel(0, 0, 1);
    source.SetPixel(1, 0, 2);
    source.SetPixel(0, 1, 3);
    source.SetPixel(1, 1, 4);
    TPixelImage target(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            target.SetPixel(x, y, 0);
    DrawImage(target, source, c.X, c.Y);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(target.Pixel(x, y), c.Expected[y][x]) << "(" << x << ", " << y << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Places, DrawImageTable,
    ::testing::Values(DrawCase{"Inside", 1, 1, {{0, 0, 0, 0}, {0, 1, 2, 0}, {0, 3, 4, 0}}},
                      DrawCase{"AboveLeft", -1, -1, {{4, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
                      DrawCase{"BelowRight", 3, 2, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 1}}},
                      DrawCase{"LeftEdge", -1, 0, {{2, 0, 0, 0}, {4, 0, 0, 0}, {0, 0, 0, 0}}},
                      DrawCase{"PastTheRight", 4, 0, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
                      DrawCase{"PastTheLeft", -2, 1, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
                      DrawCase{"Below", 0, 3, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}),
    [](const auto& info) { return info.param.Name; });

// The shifted composite: the upper half is the tile, lower row j shows tile row j with
// the listed tile columns.
struct CompositeCase {
    const char* Name;
    int W, H, Tiling;
    std::vector<int> LowerColumns;
};

void PrintTo(const CompositeCase& c, std::ostream* os) {
    *os << c.Name;
}

class ComposeExportTable : public ::testing::TestWithParam<CompositeCase> {};

TEST_P(ComposeExportTable, StacksTheTileOverItsShiftedRow) {
    const CompositeCase& c = GetParam();
    const TPixelImage tile = NamedTile(c.W, c.H);
    const TPixelImage composite = ComposeExport(tile, c.Tiling);
    ASSERT_EQ(composite.Width(), c.W);
    ASSERT_EQ(composite.Height(), 2 * c.H);
    ASSERT_EQ(c.LowerColumns.size(), static_cast<std::size_t>(c.W));
    for (int j = 0; j < c.H; ++j)
        for (int i = 0; i < c.W; ++i) {
            EXPECT_EQ(composite.Pixel(i, j), TilePixel(i, j)) << "upper (" << i << ", " << j << ")";
            EXPECT_EQ(composite.Pixel(i, c.H + j), TilePixel(c.LowerColumns[i], j))
                << "lower (" << i << ", " << j << ")";
        }
}

INSTANTIATE_TEST_SUITE_P(
    Widths, ComposeExportTable,
    ::testing::Values(CompositeCase{"Even4", 4, 2, 1, {2, 3, 0, 1}},
                      // Odd: the second lower copy lands on column 2, over the first.
                      CompositeCase{"Odd5", 5, 3, 1, {2, 3, 0, 1, 2}},
                      CompositeCase{"One", 1, 3, 1, {0}}, CompositeCase{"Two", 2, 1, 1, {1, 0}},
                      CompositeCase{"Odd3", 3, 2, 1, {1, 0, 1}},
                      CompositeCase{"Even6", 6, 2, 1, {3, 4, 5, 0, 1, 2}},
                      CompositeCase{"TilingSeven", 4, 2, 7, {2, 3, 0, 1}},
                      CompositeCase{"TilingMinusOne", 4, 2, -1, {2, 3, 0, 1}}),
    [](const auto& info) { return info.param.Name; });

TEST(ComposeExport, PlainTilingGivesTheTile) {
    const TPixelImage tile = NamedTile(5, 3);
    EXPECT_EQ(ComposeExport(tile, 0), tile);
}

TEST(ComposeExport, EmptyTileGivesAnEmptyPicture) {
    EXPECT_TRUE(ComposeExport(TPixelImage(), 0).Empty());
    EXPECT_TRUE(ComposeExport(TPixelImage(), 1).Empty());
}

// The largest export: 512 x 512 from a 512 x 256 tile, 54 + 1536 x 512 bytes.
TEST(ComposeExport, LargestShiftedExport) {
    const TPixelImage tile = NamedTile(512, 256);
    const TPixelImage composite = ComposeExport(tile, 1);
    EXPECT_EQ(composite.Width(), 512);
    EXPECT_EQ(composite.Height(), 512);
    EXPECT_EQ(composite.Pixel(0, 256), TilePixel(256, 0));
    EXPECT_EQ(composite.Pixel(511, 511), TilePixel(255, 255));
    EXPECT_EQ(EncodeBmp(composite).size(), 786486u);
    EXPECT_EQ(EncodeBmp(tile).size(), 54u + 1536u * 256u);
}

// A shifted 128 x 64 tile gives a 128 x 128 picture of 49,206 bytes.
TEST(ComposeExport, DefaultShiftedExport) {
    const TPixelImage composite = ComposeExport(NamedTile(128, 64), 1);
    EXPECT_EQ(composite.Height(), 128);
    EXPECT_EQ(EncodeBmp(composite).size(), 49206u);
}
