#include "ColorTable.h"
#include "Random.h"
#include "TestModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace ombrix;
using ombrix::testing::NewModel;
using ombrix::testing::RandomStateGuard;

namespace {

std::unique_ptr<TFieldModel> TableModel(int useColCnt, int colDiv) {
    auto m = NewModel(Defaults::AreaW, Defaults::AreaH, useColCnt);
    m->ColDiv = colDiv;
    return m;
}

// A recognisable colour for entry i that is never produced by a rebuild.
TColor Marker(int i) {
    return 0xAB000000u | static_cast<TColor>(i);
}

} // namespace

TEST(PackColor, ChannelsAndLowBytesOnly) {
    EXPECT_EQ(PackColor(220, 8, 0), 0x000008DCu);
    EXPECT_EQ(PackColor(171, 69, 51), 0x003345ABu);
    EXPECT_EQ(PackColor(0x1FF, 0x100, 0x2AB), 0x00AB00FFu);
}

TEST(RandomColor, BlueThenGreenThenRed) {
    const RandomStateGuard seed(0);
    EXPECT_EQ(RandomColor(), 0x000008DCu); // draws 0, 8, 220
    EXPECT_EQ(RandomColor(), 0x003345ABu); // draws 51, 69, 171
}

// Which entries a rebuild writes: every entry in use that is not a key.
struct RebuildCase {
    const char* Name;
    int UseColCnt, ColDiv;
    std::vector<int> Keys;
};

void PrintTo(const RebuildCase& c, std::ostream* os) {
    *os << c.Name;
}

class MakeColorTableKeys : public ::testing::TestWithParam<RebuildCase> {};

TEST_P(MakeColorTableKeys, WritesExactlyTheInnerEntries) {
    const RebuildCase& c = GetParam();
    auto m = TableModel(c.UseColCnt, c.ColDiv);
    for (int i = 0; i < ColorTableSize; ++i)
        m->ColorTable[i] = Marker(i);
    MakeColorTable(*m);
    for (int i = 0; i < ColorTableSize; ++i) {
        const bool key = std::find(c.Keys.begin(), c.Keys.end(), i) != c.Keys.end();
        const bool untouched = m->ColorTable[i] == Marker(i);
        EXPECT_EQ(untouched, key || i >= c.UseColCnt) << "entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, MakeColorTableKeys,
                         ::testing::Values(
                             RebuildCase{
                                 "States256Segments8", 256, 8, {0, 32, 64, 96, 128, 160, 192, 224}},
                             RebuildCase{"States10Segments3", 10, 3, {0, 3, 6}},
                             RebuildCase{"EveryEntryAKey", 5, 5, {0, 1, 2, 3, 4}},
                             RebuildCase{"MoreSegmentsThanStates", 4, 8, {0, 1, 2, 3}},
                             RebuildCase{"OneSegment", 6, 1, {0}}),
                         [](const auto& info) { return info.param.Name; });

TEST(MakeColorTable, TruncatesTowardTheStartingKey) {
    // 6 states in 2 segments: keys 0 and 3, both segments of length 3.
    auto m = TableModel(6, 2);
    m->ColorTable[0] = PackColor(200, 100, 0);
    m->ColorTable[3] = PackColor(100, 200, 0);
    MakeColorTable(*m);
    EXPECT_EQ(m->ColorTable[1], PackColor(167, 133, 0));
    EXPECT_EQ(m->ColorTable[2], PackColor(134, 166, 0));
    // The last segment leads back to entry 0.
    EXPECT_EQ(m->ColorTable[4], PackColor(133, 167, 0));
    EXPECT_EQ(m->ColorTable[5], PackColor(166, 134, 0));
}

TEST(MakeColorTable, SegmentBackToEntryZeroAndHighByteIgnored) {
    auto m = TableModel(256, 8);
    for (int a = 0; a < 8; ++a)
        m->ColorTable[a * 32] = 0xFF000000u | PackColor(0, 0, 0);
    m->ColorTable[0] = 0xFF000000u | PackColor(64, 0, 255);
    MakeColorTable(*m);
    // From key 224 (black) to entry 0 over L = 32: entry 240 is half way.
    EXPECT_EQ(m->ColorTable[240], PackColor(32, 0, 127));
    EXPECT_EQ(m->ColorTable[255], PackColor(62, 0, 247));
    EXPECT_EQ(m->ColorTable[0], 0xFF000000u | PackColor(64, 0, 255)); // keys keep all bits
    // Running it twice gives the same table.
    std::vector<TColor> once(m->ColorTable, m->ColorTable + 256);
    MakeColorTable(*m);
    EXPECT_EQ(std::vector<TColor>(m->ColorTable, m->ColorTable + 256), once);
}

TEST(MakeColorTable, OneSegmentCopiesEntryZero) {
    auto m = TableModel(4, 1);
    m->ColorTable[0] = 0x12123456u;
    MakeColorTable(*m);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(m->ColorTable[i], 0x00123456u);
}

TEST(ColorStrip, StripeWidths) {
    for (int i = 0; i < 256; ++i) {
        const Stripe s = StripeOf(i, 512, 256);
        EXPECT_EQ(s.Right - s.Left, 2);
    }
    EXPECT_EQ(StripeOf(0, 512, 3).Left, 0);
    EXPECT_EQ(StripeOf(0, 512, 3).Right, 170);
    EXPECT_EQ(StripeOf(1, 512, 3).Right, 341);
    EXPECT_EQ(StripeOf(2, 512, 3).Right, 512);
    int narrow = 0, wide = 0;
    for (int i = 0; i < 200; ++i) {
        const int width = StripeOf(i, 512, 200).Right - StripeOf(i, 512, 200).Left;
        narrow += width == 2;
        wide += width == 3;
    }
    EXPECT_EQ(narrow + wide, 200);
    EXPECT_GT(narrow, 0);
    EXPECT_GT(wide, 0);
    EXPECT_EQ(StripeOf(3, 512, 10).Left, 153);
    EXPECT_EQ(StripeOf(6, 512, 10).Left, 307);
}

struct PickCase {
    int X, UseColCnt, ColDiv;
    std::optional<int> Entry;
};

class ColorStripPick : public ::testing::TestWithParam<PickCase> {};

TEST_P(ColorStripPick, ZoneGivesKeyEntry) {
    const PickCase& c = GetParam();
    EXPECT_EQ(PickedKeyEntry(c.X, 512, c.UseColCnt, c.ColDiv), c.Entry) << "x = " << c.X;
}

INSTANTIATE_TEST_SUITE_P(Zones, ColorStripPick,
                         ::testing::Values(PickCase{0, 256, 8, 0}, PickCase{63, 256, 8, 0},
                                           PickCase{64, 256, 8, 32}, PickCase{127, 256, 8, 32},
                                           PickCase{448, 256, 8, 224}, PickCase{511, 256, 8, 224},
                                           PickCase{170, 10, 3, 0}, PickCase{171, 10, 3, 3},
                                           PickCase{341, 10, 3, 3}, PickCase{342, 10, 3, 6},
                                           PickCase{511, 10, 3, 6}, PickCase{300, 4, 8, 2},
                                           // Releases past either end pick nothing.
                                           PickCase{-1, 256, 8, std::nullopt},
                                           PickCase{512, 256, 8, std::nullopt},
                                           PickCase{5000, 10, 3, std::nullopt}));
