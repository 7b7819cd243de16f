#include "Wall.h"
#include "ColorTable.h"
#include "TestModel.h"
#include "ThrowMessage.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

using namespace ombrix;
using ombrix::testing::NewModel;

namespace {

// A table in which every entry differs from every other.
void FillDistinctTable(TFieldModel& m) {
    for (int v = 0; v < ColorTableSize; ++v)
        m.ColorTable[v] = PackColor(v, 255 - v, v ^ 0x5A);
}

} // namespace

TEST(PixelImage, StartsEmptyAndTakesItsSize) {
    TPixelImage image;
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_TRUE(image.Empty());
    image.SetSize(3, 2);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_FALSE(image.Empty());
    image.SetPixel(2, 1, 0x00ABCDEF);
    image.SetPixel(0, 1, 0x00000001);
    EXPECT_EQ(image.Pixel(2, 1), 0x00ABCDEFu);
    // Rows follow each other without a gap: (x, y) is element y * Width + x.
    EXPECT_EQ(image.Data()[1 * 3 + 2], 0x00ABCDEFu);
    EXPECT_EQ(image.Row(1)[0], 0x00000001u);
}

TEST(PixelImage, SizeThatCannotBeHadKeepsTheOldPicture) {
    TPixelImage image(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.SetPixel(x, y, static_cast<TColor>(10 * x + y));
    const TPixelImage before = image;
    // More pixels than memory can address.
    EXPECT_THROW(image.SetSize(INT_MAX, INT_MAX), std::bad_alloc);
    EXPECT_EQ(image, before);
}

// RenderTile: pixel (x - 1, y - 1) is ColorTable[Field[x][y]].
TEST(RenderTile, WorkedExampleWithValuesAboveTheStatesInUse) {
    auto m = NewModel(3, 2, 4); // states 0..3; 5, 7 and 255 are left-over values
    m->ColorTable[0] = 0x000000FF;
    m->ColorTable[1] = 0x0000FF00;
    m->ColorTable[2] = 0x00FF0000;
    m->ColorTable[3] = 0x00DEAD00; // only the border holds 3
    m->ColorTable[5] = 0x00123456;
    m->ColorTable[7] = 0x00ABCDEF;
    m->ColorTable[255] = 0x00C0FFEE;
    for (int x = 0; x <= 4; ++x)
        for (int y = 0; y <= 3; ++y)
            m->Field[x][y] = 3;
    m->Field[1][1] = 0;
    m->Field[2][1] = 1;
    m->Field[3][1] = 2;
    m->Field[1][2] = 5;
    m->Field[2][2] = 255;
    m->Field[3][2] = 7;

    TPixelImage tile;
    RenderTile(*m, tile);
    ASSERT_EQ(tile.Width(), 3);
    ASSERT_EQ(tile.Height(), 2);
    EXPECT_EQ(tile.Pixel(0, 0), 0x000000FFu);
    EXPECT_EQ(tile.Pixel(1, 0), 0x0000FF00u);
    EXPECT_EQ(tile.Pixel(2, 0), 0x00FF0000u);
    EXPECT_EQ(tile.Pixel(0, 1), 0x00123456u);
    EXPECT_EQ(tile.Pixel(1, 1), 0x00C0FFEEu);
    EXPECT_EQ(tile.Pixel(2, 1), 0x00ABCDEFu);
}

// A field held outside the model, taller than one band of rows and wider than the
// model allows: pixel (x - 1, y - 1) is the entry of cell (x, y)'s low 8 bits.
TEST(RenderTile, FieldOfAnySize) {
    TLargeField field(600, 37);
    TColor table[ColorTableSize];
    for (int i = 0; i < ColorTableSize; ++i)
        table[i] = PackColor(i, 255 - i, 7);
    for (int x = 0; x <= 601; ++x)
        for (int y = 0; y <= 38; ++y)
            field.At(x, y) = 0x100 + 3; // the border would show as entry 3
    for (int x = 1; x <= 600; ++x)
        for (int y = 1; y <= 37; ++y)
            field.At(x, y) = (x * 7 + y) % 256;
    field.At(600, 37) = 300; // entry 44

    TPixelImage tile;
    RenderTile(field.View(), table, tile);
    ASSERT_EQ(tile.Width(), 600);
    ASSERT_EQ(tile.Height(), 37);
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 600; ++x)
            if (x != 599 || y != 36) {
                ASSERT_EQ(tile.Pixel(x, y), table[((x + 1) * 7 + y + 1) % 256]) << x << "," << y;
            }
    EXPECT_EQ(tile.Pixel(599, 36), PackColor(44, 211, 7));
}

TEST(RenderTile, BorderCellsNeverShow) {
    for (auto [w, h] : {std::pair{1, 1}, std::pair{4, 3}, std::pair{MaxAreaW, MaxAreaH}}) {
        auto m = NewModel(w, h);
        FillDistinctTable(*m);
        const TColor border = m->ColorTable[200];
        for (int x = 0; x <= MaxAreaW + 1; ++x)
            for (int y = 0; y <= MaxAreaH + 1; ++y)
                m->Field[x][y] = (x >= 1 && x <= w && y >= 1 && y <= h) ? (x + y) % 100 : 200;
        TPixelImage tile;
        RenderTile(*m, tile);
        ASSERT_EQ(tile.Width(), w);
        ASSERT_EQ(tile.Height(), h);
        int shown = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                shown += tile.Pixel(x, y) == border;
        EXPECT_EQ(shown, 0) << w << " x " << h;
    }
}

TEST(RenderTile, LargestFieldEveryPixel) {
    auto m = NewModel(MaxAreaW, MaxAreaH);
    FillDistinctTable(*m);
    for (int x = 1; x <= MaxAreaW; ++x)
        for (int y = 1; y <= MaxAreaH; ++y)
            m->Field[x][y] = (7 * x + 13 * y) % 256;
    TPixelImage tile;
    RenderTile(*m, tile);
    ASSERT_EQ(tile.Width(), 512);
    ASSERT_EQ(tile.Height(), 256);
    int wrong = 0;
    for (int j = 0; j < 256; ++j)
        for (int i = 0; i < 512; ++i) {
            const int v = (7 * (i + 1) + 13 * (j + 1)) % 256;
            wrong += tile.Pixel(i, j) != PackColor(v, 255 - v, v ^ 0x5A);
        }
    EXPECT_EQ(wrong, 0);
}

TEST(RenderTile, NewSizeLeavesNothingOfTheOldPicture) {
    auto m = NewModel(4, 4);
    FillDistinctTable(*m);
    m->ColorTable[9] = 0x00777777; // the old picture's colour, no cell holds 9 later
    for (int x = 1; x <= 6; ++x)
        for (int y = 1; y <= 6; ++y)
            m->Field[x][y] = 9;
    TPixelImage tile;
    RenderTile(*m, tile);
    for (int x = 1; x <= 6; ++x)
        for (int y = 1; y <= 6; ++y)
            m->Field[x][y] = x + 10 * y;
    for (auto [w, h] : {std::pair{2, 3}, std::pair{6, 5}, std::pair{4, 4}}) {
        m->AreaW = w;
        m->AreaH = h;
        RenderTile(*m, tile);
        ASSERT_EQ(tile.Width(), w);
        ASSERT_EQ(tile.Height(), h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(tile.Pixel(x, y), m->ColorTable[(x + 1) + 10 * (y + 1)])
                    << w << " x " << h << " pixel (" << x << ", " << y << ")";
    }
}

TEST(RenderTile, ValuesOutsideTheTableUseTheirLowEightBits) {
    auto m = NewModel(3, 1);
    FillDistinctTable(*m);
    m->Field[1][1] = 300; // 300 - 256 = 44
    m->Field[2][1] = -1;  // ...1111 1111 = 255
    m->Field[3][1] = 256; // 0
    TPixelImage tile;
    RenderTile(*m, tile);
    EXPECT_EQ(tile.Pixel(0, 0), m->ColorTable[44]);
    EXPECT_EQ(tile.Pixel(1, 0), m->ColorTable[255]);
    EXPECT_EQ(tile.Pixel(2, 0), m->ColorTable[0]);
}

struct TileSizeCase {
    const char* Name;
    int AreaW, AreaH;
    int Width, Height;
};

void PrintTo(const TileSizeCase& c, std::ostream* os) {
    *os << c.Name;
}

class RenderTileSize : public ::testing::TestWithParam<TileSizeCase> {};

TEST_P(RenderTileSize, IsTheFieldSizeWithinTheModel) {
    const TileSizeCase& c = GetParam();
    auto m = NewModel(c.AreaW, c.AreaH);
    TPixelImage tile(7, 7);
    RenderTile(*m, tile);
    EXPECT_EQ(tile.Width(), c.Width);
    EXPECT_EQ(tile.Height(), c.Height);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RenderTileSize,
                         ::testing::Values(TileSizeCase{"Default", 128, 64, 128, 64},
                                           TileSizeCase{"Largest", 512, 256, 512, 256},
                                           TileSizeCase{"OneCell", 1, 1, 1, 1},
                                           TileSizeCase{"TooWideAndHigh", 600, 300, 512, 256},
                                           TileSizeCase{"ZeroWidth", 0, 5, 0, 5},
                                           TileSizeCase{"NegativeHeight", 10, -3, 10, 0}),
                         [](const auto& info) { return info.param.Name; });

// Tile positions for a box 12 pixels wide and 5 high with tiles 2 high: tile rows at
// y = 0 (even), 2 (odd) and 4 (even).
struct PositionsCase {
    const char* Name;
    int TileW, TileH, Tiling, BoxW, BoxH;
    std::vector<TilePosition> Expected;
};

void PrintTo(const PositionsCase& c, std::ostream* os) {
    *os << c.Name;
}

std::vector<TilePosition> Row(int y, std::vector<int> xs) {
    std::vector<TilePosition> row;
    for (int x : xs)
        row.push_back({x, y});
    return row;
}

std::vector<TilePosition> Rows(std::vector<std::vector<TilePosition>> rows) {
    std::vector<TilePosition> all;
    for (const auto& row : rows)
        all.insert(all.end(), row.begin(), row.end());
    return all;
}

class TilePositionsTable : public ::testing::TestWithParam<PositionsCase> {};

TEST_P(TilePositionsTable, GivesThePlacesInDrawingOrder) {
    const PositionsCase& c = GetParam();
    std::vector<TilePosition> visited;
    ForEachTilePosition(c.TileW, c.TileH, c.Tiling, c.BoxW, c.BoxH,
                        [&](TilePosition p) { visited.push_back(p); });
    EXPECT_EQ(visited, c.Expected);
}

const std::vector<int> Ones = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

INSTANTIATE_TEST_SUITE_P(
    Examples, TilePositionsTable,
    ::testing::Values(
        PositionsCase{"Plain4", 4, 2, 0, 12, 5,
                      Rows({Row(0, {0, 4, 8}), Row(2, {0, 4, 8}), Row(4, {0, 4, 8})})},
        PositionsCase{"Shifted4", 4, 2, 1, 12, 5,
                      Rows({Row(0, {0, 4, 8}), Row(2, {-2, 2, 6, 10}), Row(4, {0, 4, 8})})},
        PositionsCase{"Shifted5", 5, 2, 1, 12, 5,
                      Rows({Row(0, {0, 5, 10}), Row(2, {-2, 3, 8}), Row(4, {0, 5, 10})})},
        PositionsCase{"Shifted1", 1, 2, 1, 12, 5, Rows({Row(0, Ones), Row(2, Ones), Row(4, Ones)})},
        // Any tiling other than 0 shifts.
        PositionsCase{"TilingTwo", 4, 2, 2, 12, 5,
                      Rows({Row(0, {0, 4, 8}), Row(2, {-2, 2, 6, 10}), Row(4, {0, 4, 8})})},
        PositionsCase{"TilingMinusOne", 4, 2, -1, 12, 3,
                      Rows({Row(0, {0, 4, 8}), Row(2, {-2, 2, 6, 10})})},
        // A box smaller than a tile shows the tile's top-left part.
        PositionsCase{"BoxInsideOneTile", 4, 2, 1, 3, 2, {{0, 0}}},
        // Between H + 1 and 2H high: the second row is there and shifted.
        PositionsCase{"SecondRowPartlyShown", 4, 2, 1, 3, 3, {{0, 0}, {-2, 2}, {2, 2}}},
        PositionsCase{"BoxWidthZero", 4, 2, 1, 0, 5, {}},
        PositionsCase{"BoxHeightZero", 4, 2, 1, 12, 0, {}},
        PositionsCase{"TileWidthZero", 0, 2, 0, 12, 5, {}},
        PositionsCase{"TileHeightZero", 4, 0, 0, 12, 5, {}}),
    [](const auto& info) { return info.param.Name; });

// Whatever the sizes, the tiles cover every pixel of the box exactly once.
TEST(TilePositions, CoverTheBoxOnce) {
    const int sizes[][5] = {{4, 2, 0, 12, 5},       {4, 2, 1, 12, 5}, {5, 3, 1, 23, 17},
                            {7, 1, 1, 20, 4},       {1, 1, 1, 9, 9},  {128, 64, 1, 1000, 700},
                            {512, 256, 1, 100, 600}};
    for (const auto& s : sizes) {
        const int tileW = s[0], tileH = s[1], tiling = s[2], boxW = s[3], boxH = s[4];
        std::vector<int> covered(static_cast<std::size_t>(boxW * boxH), 0);
        ForEachTilePosition(tileW, tileH, tiling, boxW, boxH, [&](TilePosition p) {
            for (int y = std::max(p.Y, 0); y < std::min(p.Y + tileH, boxH); ++y)
                for (int x = std::max(p.X, 0); x < std::min(p.X + tileW, boxW); ++x)
                    ++covered[static_cast<std::size_t>(y * boxW + x)];
        });
        int wrong = 0;
        for (int n : covered)
            wrong += n != 1;
        EXPECT_EQ(wrong, 0) << tileW << " x " << tileH << " tiling " << tiling << " over " << boxW
                            << " x " << boxH;
    }
}

// The pattern repeated on a plain grid is the wall the tile positions draw.
TEST(WallPattern, RepeatedPlainlyIsTheWall) {
    const int sizes[][2] = {{4, 3}, {5, 2}, {1, 3}, {2, 1}, {7, 4}};
    for (const auto& [w, h] : sizes) {
        TPixelImage tile(w, h);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                tile.SetPixel(i, j, TColor(100 * j + i + 1));
        for (int tiling : {0, 1, 3}) {
            const int boxW = 3 * w + 1, boxH = 5 * h + 1;
            TPixelImage wall(boxW, boxH);
            ForEachTilePosition(w, h, tiling, boxW, boxH,
                                [&](TilePosition at) { DrawImage(wall, tile, at.X, at.Y); });
            const TPixelImage pattern = WallPattern(tile, tiling);
            ASSERT_EQ(pattern.Width(), w);
            ASSERT_EQ(pattern.Height(), tiling == 0 ? h : 2 * h);
            for (int y = 0; y < boxH; ++y)
                for (int x = 0; x < boxW; ++x)
                    ASSERT_EQ(wall.Pixel(x, y), pattern.Pixel(x % w, y % pattern.Height()))
                        << w << " x " << h << ", tiling " << tiling << ", pixel (" << x << ", " << y
                        << ")";
        }
    }
}

TEST(WallPattern, OddWidthRotatesBySmallerHalf) {
    TPixelImage tile(5, 1);
    for (int i = 0; i < 5; ++i)
        tile.SetPixel(i, 0, TColor(10 + i));
    const TPixelImage pattern = WallPattern(tile, 1);
    const TColor lower[] = {12, 13, 14, 10, 11};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pattern.Pixel(i, 0), TColor(10 + i));
        EXPECT_EQ(pattern.Pixel(i, 1), lower[i]) << "pixel " << i;
    }
    EXPECT_TRUE(WallPattern(TPixelImage{}, 1).Empty());
}
