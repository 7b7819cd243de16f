#include "FieldModel.h"
#include "Random.h"
#include "ReferenceRule.h"
#include "TestModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

using namespace ombrix;
using ombrix::testing::NewModel;
using ombrix::testing::RandomStateGuard;
using ombrix::testing::SeedAfter;

namespace {

// A value that names live cell (x, y), for following copies into the border.
int CellId(int x, int y) {
    return 10 * x + y;
}

} // namespace

TEST(Random, FirstDrawsFromTheStartState) {
    const RandomStateGuard seed(0);
    const int expected[] = {0, 8, 220, 51, 69, 171};
    for (int value : expected)
        EXPECT_EQ(Random(256), value);
}

// A stream draws the program's sequence from its own state and leaves RandSeed alone,
// also when its work throws.
TEST(RandomStream, OwnSequenceLeavesTheProgramsAlone) {
    const RandomStateGuard seed(SeedAfter(5));
    TRandomStream stream(0);
    EXPECT_EQ(stream.Run([] { return Random(256); }), 0);
    EXPECT_EQ(RandSeed, SeedAfter(5));
    EXPECT_EQ(Random(256), 171); // the program's sixth draw
    EXPECT_THROW(stream.Run([]() -> int {
        Random(256);
        throw std::runtime_error("stop");
    }),
                 std::runtime_error);
    EXPECT_EQ(RandSeed, SeedAfter(6));
    EXPECT_EQ(stream.Seed(), SeedAfter(2));
    EXPECT_EQ(stream.Run([] { return Random(256); }), 220);
}

TEST(Random, RangeOneAlwaysGivesZeroButAdvances) {
    const RandomStateGuard seed(0);
    EXPECT_EQ(Random(1), 0);
    EXPECT_EQ(RandSeed, 1u);
    EXPECT_EQ(Random(1), 0);
    EXPECT_EQ(RandSeed, 134775814u);
}

TEST(InitField, DefaultFieldAfterTheColorDraws) {
    const RandomStateGuard seed(0);
    for (int i = 0; i < 3 * 256; ++i) // one random colour per entry at start-up
        Random(256);
    auto m = NewModel(128, 64);
    InitField(*m);
    EXPECT_EQ(m->Field[1][1], 237);
    EXPECT_EQ(m->Field[1][2], 158);
    EXPECT_EQ(m->Field[1][3], 151);
    EXPECT_EQ(m->Field[1][4], 22);
    EXPECT_EQ(m->Field[2][1], 177);
    EXPECT_EQ(m->Field[128][64], 252);
    // Only the live area is written.
    EXPECT_EQ(m->Field[0][1], 0);
    EXPECT_EQ(m->Field[129][64], 0);
    EXPECT_EQ(m->Field[1][65], 0);
}

TEST(InitField, SingleStateSeedsZerosAndSpendsOneDrawPerCell) {
    const RandomStateGuard seed(0);
    auto m = NewModel(3, 2, 1);
    m->Field[2][2] = 7;
    InitField(*m);
    for (int x = 1; x <= 3; ++x)
        for (int y = 1; y <= 2; ++y)
            EXPECT_EQ(m->Field[x][y], 0);
    EXPECT_EQ(RandSeed, SeedAfter(6));
}

// Border fill: each row lists which live cell (x, y) every border place copies.
struct BorderCase {
    const char* Name;
    int W, H, Tiling;
    std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> Expected; // place -> source
};

void PrintTo(const BorderCase& c, std::ostream* os) {
    *os << c.Name;
}

class BorderFill : public ::testing::TestWithParam<BorderCase> {};

TEST_P(BorderFill, CopiesTheWrappedCells) {
    const BorderCase& c = GetParam();
    auto m = NewModel(c.W, c.H, 256, c.Tiling);
    for (int x = 1; x <= c.W; ++x)
        for (int y = 1; y <= c.H; ++y)
            m->Field[x][y] = CellId(x, y);
    StepField(*m);
    for (const auto& [place, source] : c.Expected)
        EXPECT_EQ(m->Field[place.first][place.second], CellId(source.first, source.second))
            << "border place (" << place.first << ", " << place.second << ")";
}

// The W = 4, H = 3 tables, read row by row: y = 0, the sides of y = 1..3, y = 4.
INSTANTIATE_TEST_SUITE_P(
    Tables, BorderFill,
    ::testing::Values(
        BorderCase{"Plain4x3",
                   4,
                   3,
                   0,
                   {{{0, 0}, {4, 3}},
                    {{1, 0}, {1, 3}},
                    {{2, 0}, {2, 3}},
                    {{3, 0}, {3, 3}},
                    {{4, 0}, {4, 3}},
                    {{5, 0}, {1, 3}},
                    {{0, 1}, {4, 1}},
                    {{5, 1}, {1, 1}},
                    {{0, 2}, {4, 2}},
                    {{5, 2}, {1, 2}},
                    {{0, 3}, {4, 3}},
                    {{5, 3}, {1, 3}},
                    {{0, 4}, {4, 1}},
                    {{1, 4}, {1, 1}},
                    {{2, 4}, {2, 1}},
                    {{3, 4}, {3, 1}},
                    {{4, 4}, {4, 1}},
                    {{5, 4}, {1, 1}}}},
        BorderCase{"Shifted4x3",
                   4,
                   3,
                   1,
                   {{{0, 0}, {2, 3}},
                    {{1, 0}, {3, 3}},
                    {{2, 0}, {4, 3}},
                    {{3, 0}, {1, 3}},
                    {{4, 0}, {2, 3}},
                    {{5, 0}, {3, 3}},
                    {{0, 1}, {4, 1}},
                    {{5, 1}, {1, 1}},
                    {{0, 2}, {4, 2}},
                    {{5, 2}, {1, 2}},
                    {{0, 3}, {4, 3}},
                    {{5, 3}, {1, 3}},
                    {{0, 4}, {2, 1}},
                    {{1, 4}, {3, 1}},
                    {{2, 4}, {4, 1}},
                    {{3, 4}, {1, 1}},
                    {{4, 4}, {2, 1}},
                    {{5, 4}, {3, 1}}}},
        // Any non-zero tiling shifts.
        BorderCase{"TilingFiveShifts", 4, 3, 5, {{{1, 0}, {3, 3}}, {{0, 4}, {2, 1}}}},
        // Odd width: the shift is the smaller half (5 div 2 = 2).
        BorderCase{"Shifted5x2",
                   5,
                   2,
                   1,
                   {{{1, 0}, {3, 2}},
                    {{3, 0}, {5, 2}},
                    {{4, 0}, {1, 2}},
                    {{5, 3}, {2, 1}},
                    {{0, 0}, {2, 2}},
                    {{6, 0}, {3, 2}}}},
        // Two columns shifted: the rows above and below swap their two cells.
        BorderCase{"Shifted2x3",
                   2,
                   3,
                   1,
                   {{{1, 0}, {2, 3}}, {{2, 0}, {1, 3}}, {{1, 4}, {2, 1}}, {{2, 4}, {1, 1}}}},
        // One column: both sides copy column 1 whatever the tiling.
        BorderCase{"Shifted1x2",
                   1,
                   2,
                   1,
                   {{{0, 1}, {1, 1}},
                    {{2, 1}, {1, 1}},
                    {{1, 0}, {1, 2}},
                    {{1, 3}, {1, 1}},
                    {{0, 0}, {1, 2}},
                    {{2, 3}, {1, 1}}}},
        // One row: the rows above and below are that row (or its shifted columns).
        BorderCase{"Plain3x1", 3, 1, 0, {{{2, 0}, {2, 1}}, {{2, 2}, {2, 1}}, {{0, 2}, {3, 1}}}},
        BorderCase{"Shifted3x1", 3, 1, 1, {{{1, 0}, {2, 1}}, {{2, 2}, {3, 1}}, {{3, 0}, {1, 1}}}}),
    [](const auto& info) { return info.param.Name; });

TEST(BorderFill, LargestFieldReachesTheLastColumnAndRow) {
    auto m = NewModel(MaxAreaW, MaxAreaH);
    for (int x = 1; x <= MaxAreaW; ++x)
        for (int y = 1; y <= MaxAreaH; ++y)
            m->Field[x][y] = (x + 3 * y) % 200 + 1;
    const int firstRow5 = m->Field[5][1];
    const int lastColumn7 = m->Field[512][7];
    const int topLeft = m->Field[1][1];
    StepField(*m);
    EXPECT_EQ(m->Field[513][7], (1 + 3 * 7) % 200 + 1);
    EXPECT_EQ(m->Field[5][257], firstRow5);
    EXPECT_EQ(m->Field[0][7], lastColumn7);
    EXPECT_EQ(m->Field[513][257], topLeft);
}

// The next state of the middle cell of a 3 x 3 block, everything around it healthy.
struct NextStateCase {
    const char* Name;
    int UseColCnt, PrmG, PrmK1, PrmK2;
    int Block[3][3]; // [row][column], the middle is the cell itself
    int Expected;
};

void PrintTo(const NextStateCase& c, std::ostream* os) {
    *os << c.Name;
}

class NextState : public ::testing::TestWithParam<NextStateCase> {};

TEST_P(NextState, FollowsTheRule) {
    const NextStateCase& c = GetParam();
    auto m = NewModel(7, 7, c.UseColCnt);
    m->PrmG = c.PrmG;
    m->PrmK1 = c.PrmK1;
    m->PrmK2 = c.PrmK2;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            m->Field[3 + col][3 + row] = c.Block[row][col];
    StepField(*m);
    EXPECT_EQ(m->Field[4][4], c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, NextState,
    ::testing::Values(
        NextStateCase{
            "HealthyIsInfected", 256, 5, 2, 2, {{0, 3, 255}, {10, 0, 0}, {255, 40, 7}}, 3},
        NextStateCase{
            "InfectedMovesToMean", 256, 5, 2, 2, {{0, 3, 255}, {10, 20, 0}, {255, 40, 7}}, 123},
        NextStateCase{"IllHeals", 256, 5, 2, 2, {{0, 3, 255}, {10, 255, 0}, {255, 40, 7}}, 0},
        NextStateCase{"InfectedClampsToIll",
                      256,
                      5,
                      2,
                      2,
                      {{255, 255, 255}, {255, 250, 255}, {255, 255, 255}},
                      255},
        NextStateCase{"HealthyNotClamped", 4, 5, 1, 1, {{1, 2, 3}, {3, 0, 1}, {2, 3, 1}}, 8},
        NextStateCase{"NoGrowthKeepsValue", 256, 0, 2, 2, {{0, 0, 0}, {0, 77, 0}, {0, 0, 0}}, 77},
        // With a single state 0 is ill; a value left over from more states is infected
        // and clamps to 0.
        NextStateCase{"SingleStateClampsToZero", 1, 5, 2, 2, {{0, 0, 0}, {0, 5, 0}, {0, 0, 0}}, 0},
        NextStateCase{"SingleStateZeroStays", 1, 5, 2, 2, {{3, 3, 3}, {3, 0, 3}, {3, 3, 3}}, 0},
        // With two states only values above 1 are infected.
        NextStateCase{"TwoStatesCountsIll", 2, 5, 2, 1, {{1, 1, 0}, {0, 0, 1}, {0, 0, 0}}, 3},
        NextStateCase{
            "TwoStatesOverflowClampsToIll", 2, 5, 2, 1, {{1, 1, 0}, {0, 3, 1}, {0, 0, 0}}, 1}),
    [](const auto& info) { return info.param.Name; });

TEST(StepField, UniformFieldsSettle) {
    auto m = NewModel(6, 4);
    StepField(*m);
    for (int x = 1; x <= 6; ++x)
        for (int y = 1; y <= 4; ++y)
            EXPECT_EQ(m->Field[x][y], 0);
    for (int x = 1; x <= 6; ++x)
        for (int y = 1; y <= 4; ++y)
            m->Field[x][y] = 255;
    StepField(*m);
    StepField(*m);
    for (int x = 1; x <= 6; ++x)
        for (int y = 1; y <= 4; ++y)
            EXPECT_EQ(m->Field[x][y], 0);
}

TEST(StepField, TwoStatesOverflowReturnsToHealthyInTwoSteps) {
    auto m = NewModel(7, 7, 2);
    m->PrmK2 = 1;
    m->Field[3][3] = m->Field[4][3] = m->Field[5][4] = 1; // three ill neighbours of (4, 4)
    StepField(*m);
    EXPECT_EQ(m->Field[4][4], 3);
    StepField(*m);
    EXPECT_EQ(m->Field[4][4], 1);
    StepField(*m);
    EXPECT_EQ(m->Field[4][4], 0);
}

TEST(StepField, SingleCellClimbsToIllThenHeals) {
    auto m = NewModel(1, 1, 30);
    m->Field[1][1] = 10;
    const int expected[] = {15, 20, 25, 29, 0, 0};
    for (int value : expected) {
        StepField(*m);
        EXPECT_EQ(m->Field[1][1], value);
    }
}

TEST(StepField, OneColumnSeesItsNeighboursThreeTimes) {
    for (int tiling : {0, 1}) {
        auto m = NewModel(1, 3, 256, tiling);
        m->Field[1][1] = 3;   // infected, above
        m->Field[1][2] = 0;   // healthy
        m->Field[1][3] = 255; // ill, below
        StepField(*m);
        // 3 infected div 2 + 3 ill div 2
        EXPECT_EQ(m->Field[1][2], 2) << "tiling " << tiling;
        // The infected cell counts itself three times: (3 * 3 + 3 * 255) div 3 + 5 = 263 -> 255.
        EXPECT_EQ(m->Field[1][1], 255) << "tiling " << tiling;
    }
}

TEST(StepField, CellsOutsideTheLiveAreaAreKept) {
    auto m = NewModel(4, 3);
    m->Field[7][2] = 99;
    m->Field[2][6] = 42;
    StepField(*m);
    EXPECT_EQ(m->Field[7][2], 99);
    EXPECT_EQ(m->Field[2][6], 42);
}

// StepField against the rule transcribed value by value, generation after
// generation, over sizes and parameters that reach every branch of the rule.
struct AgreementCase {
    const char* Name;
    int W, H, UseColCnt, PrmG, PrmK1, PrmK2, Tiling;
};

void PrintTo(const AgreementCase& c, std::ostream* os) {
    *os << c.Name;
}

class AgreesWithTheRule : public ::testing::TestWithParam<AgreementCase> {};

TEST_P(AgreesWithTheRule, EveryGeneration) {
    const AgreementCase& c = GetParam();
    auto engine = NewModel(c.W, c.H, c.UseColCnt, c.Tiling);
    engine->PrmG = c.PrmG;
    engine->PrmK1 = c.PrmK1;
    engine->PrmK2 = c.PrmK2;
    const RandomStateGuard seed(12345);
    // Seed with every value a cell can hold, above the ill state too.
    for (int x = 1; x <= c.W; ++x)
        for (int y = 1; y <= c.H; ++y)
            engine->Field[x][y] = Random(256) % 3 == 0 ? 0 : Random(256);
    auto reference = std::make_unique<TFieldModel>(*engine);
    for (int generation = 1; generation <= 40; ++generation) {
        StepField(*engine);
        ombrix::testing::ReferenceStep(*reference);
        for (int x = 0; x <= c.W + 1; ++x)
            for (int y = 0; y <= c.H + 1; ++y)
                ASSERT_EQ(engine->Field[x][y], reference->Field[x][y])
                    << "generation " << generation << ", cell (" << x << ", " << y << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, AgreesWithTheRule,
    ::testing::Values(AgreementCase{"Default", 128, 64, 256, 5, 2, 2, 0},
                      AgreementCase{"DefaultShifted", 128, 64, 256, 5, 2, 2, 1},
                      AgreementCase{"OddShifted", 37, 23, 200, 17, 3, 7, 1},
                      AgreementCase{"FewStates", 30, 20, 4, 1, 1, 1, 0},
                      AgreementCase{"TwoStates", 30, 20, 2, 0, 1, 1, 1},
                      AgreementCase{"OneState", 9, 7, 1, 5, 2, 2, 0},
                      AgreementCase{"EightStatesStrongRule", 40, 40, 8, 100, 10, 10, 1},
                      AgreementCase{"OneColumn", 1, 50, 64, 3, 2, 1, 1},
                      AgreementCase{"OneRow", 50, 1, 64, 3, 1, 2, 1},
                      AgreementCase{"OneCell", 1, 1, 30, 4, 1, 1, 0},
                      AgreementCase{"TwoColumnsShifted", 2, 9, 16, 2, 2, 2, 1},
                      AgreementCase{"Largest", 512, 256, 256, 5, 2, 2, 1}),
    [](const auto& info) { return info.param.Name; });
