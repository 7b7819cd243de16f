// Fields held outside the model: every kernel the processor runs against the rule
// transcribed value by value, the split into bands, and seeding.
#include "FieldView.h"
#include "Random.h"
#include "ReferenceRule.h"
#include "StepKernel.h"
#include "TestModel.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace ombrix;

namespace {

// A field with Extra unused cells after each column, so the stride differs from
// Height + 2 as it may for a view into someone else's storage.
struct TTestField {
    int Width, Height, Extra;
    std::vector<std::int32_t> Cells;

    TTestField(int w, int h, int extra = 0)
        : Width(w), Height(h), Extra(extra),
          Cells(static_cast<std::size_t>(w + 2) * static_cast<std::size_t>(h + 2 + extra), 0) {}
    TFieldView View() { return TFieldView{Cells.data(), Height + 2 + Extra, Width, Height}; }
};

// Cell values drawn so that every branch of the rule comes up often: healthy, ill,
// infected, values above the ill state, and runs of each.
void Scatter(TTestField& f, int useColCnt, std::mt19937& random) {
    std::uniform_int_distribution<int> pick(0, 9), any(0, 255), low(1, 4);
    const TFieldView v = f.View();
    for (int x = 1; x <= f.Width; ++x)
        for (int y = 1; y <= f.Height; ++y) {
            const int p = pick(random);
            v.At(x, y) = p < 3 ? 0 : p < 5 ? useColCnt - 1 : p < 6 ? low(random) : any(random);
        }
    // The padding after each column must come through untouched.
    for (int x = 0; x <= f.Width + 1; ++x)
        for (int e = 0; e < f.Extra; ++e)
            v.At(x, f.Height + 2 + e) = 1000 + e;
}

TRuleParams RandomRule(std::mt19937& random) {
    TRuleParams rule;
    rule.UseColCnt = std::uniform_int_distribution<int>(1, 256)(random);
    rule.PrmG = std::uniform_int_distribution<int>(0, 100)(random);
    rule.PrmK1 = std::uniform_int_distribution<int>(1, 10)(random);
    rule.PrmK2 = std::uniform_int_distribution<int>(1, 10)(random);
    const int tilings[] = {0, 1, 0, 1, 2, -7};
    rule.TilingType = tilings[std::uniform_int_distribution<int>(0, 5)(random)];
    return rule;
}

std::string Describe(const TTestField& f, const TRuleParams& r, int generation) {
    return std::to_string(f.Width) + " x " + std::to_string(f.Height) + ", UseColCnt " +
           std::to_string(r.UseColCnt) + ", PrmG " + std::to_string(r.PrmG) + ", PrmK1 " +
           std::to_string(r.PrmK1) + ", PrmK2 " + std::to_string(r.PrmK2) + ", TilingType " +
           std::to_string(r.TilingType) + ", generation " + std::to_string(generation);
}

} // namespace

namespace ombrix::detail {
void PrintTo(const TStepKernel& kernel, std::ostream* os) {
    *os << kernel.Name;
}
} // namespace ombrix::detail

namespace {

class Kernel : public ::testing::TestWithParam<detail::TStepKernel> {
protected:
    void SetUp() override {
        if (!GetParam().Supported())
            GTEST_SKIP() << "this processor cannot run " << GetParam().Name;
    }

    // Steps a copy with the kernel and one with the reference, and compares every
    // cell, border and padding included.
    void Compare(TTestField& field, const TRuleParams& rule, int threads, int generations) {
        TTestField expected = field;
        std::vector<std::int32_t> scratch(
            detail::StepScratchCells(field.Width, field.Height, threads));
        for (int g = 1; g <= generations; ++g) {
            detail::StepFieldWith(field.View(), rule, threads, GetParam(), scratch.data());
            ombrix::testing::ReferenceStep(expected.View(), rule);
            ASSERT_EQ(field.Cells, expected.Cells) << Describe(field, rule, g);
        }
    }
};

TEST_P(Kernel, EverySmallSizeAgreesWithTheRule) {
    std::mt19937 random(11);
    for (int w = 1; w <= 20; ++w)
        for (int h = 1; h <= 40; ++h) {
            const TRuleParams rule = RandomRule(random);
            TTestField field(w, h, (w + h) % 3);
            Scatter(field, rule.UseColCnt, random);
            Compare(field, rule, 1, 2);
            if (HasFatalFailure())
                return;
        }
}

TEST_P(Kernel, RandomFieldsAgreeWithTheRule) {
    std::mt19937 random(12);
    std::uniform_int_distribution<int> side(1, 300), threads(1, 4);
    for (int round = 0; round < 40; ++round) {
        const TRuleParams rule = RandomRule(random);
        TTestField field(side(random), side(random), round % 2);
        Scatter(field, rule.UseColCnt, random);
        Compare(field, rule, threads(random), 3);
        if (HasFatalFailure())
            return;
    }
}

TEST_P(Kernel, LongestAndTallFieldsAgreeWithTheRule) {
    std::mt19937 random(13);
    // Tall fields are stepped in blocks of rows: a last block of one row, of a few, and
    // none left over.
    for (const auto& [w, h] : {std::pair{MaxFieldSide, 2}, std::pair{3, MaxFieldSide},
                               std::pair{5, 1025}, std::pair{17, 1300}}) {
        const TRuleParams rule = RandomRule(random);
        TTestField field(w, h);
        Scatter(field, rule.UseColCnt, random);
        Compare(field, rule, 2, 2);
        if (HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(AllBuiltIn, Kernel, ::testing::ValuesIn(detail::StepKernels()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(LargeField, ResultDoesNotDependOnTheThreadCount) {
    for (const auto& [w, h, tiling] :
         {std::tuple{997, 301, 1}, std::tuple{2, 50, 1}, std::tuple{5, 7, 0}}) {
        TRuleParams rule;
        rule.TilingType = tiling;
        std::vector<std::int32_t> cells[4];
        for (int threads = 1; threads <= 3; ++threads) {
            TLargeField field(w, h);
            const ombrix::testing::RandomStateGuard seed(77);
            InitField(field.View(), rule.UseColCnt);
            for (int generation = 0; generation < 6; ++generation)
                StepField(field, rule, threads);
            auto& out = cells[threads];
            for (int x = 0; x <= w + 1; ++x)
                for (int y = 0; y <= h + 1; ++y)
                    out.push_back(field.At(x, y));
            EXPECT_EQ(out, cells[1]) << w << " x " << h << " on " << threads << " threads";
        }
    }
}

TEST(LargeField, SeedsAsTheWindowDoes) {
    auto model = ombrix::testing::NewModel(40, 30, 200);
    const ombrix::testing::RandomStateGuard seed(5);
    InitField(*model);
    const std::uint32_t seedAfterModel = RandSeed;

    TLargeField field(40, 30);
    RandSeed = 5;
    InitField(field.View(), 200);
    EXPECT_EQ(RandSeed, seedAfterModel);
    for (int x = 0; x <= 41; ++x)
        for (int y = 0; y <= 31; ++y)
            ASSERT_EQ(field.At(x, y), model->Field[x][y]) << "cell (" << x << ", " << y << ")";
}

TEST(LargeField, StepsTheWindowsFieldLikeTheModel) {
    auto model = ombrix::testing::NewModel(64, 48, 100, 1);
    model->PrmG = 3;
    model->PrmK2 = 3;
    const ombrix::testing::RandomStateGuard seed(9);
    InitField(*model);
    auto viaView = std::make_unique<TFieldModel>(*model);
    StepField(*model);
    StepField(ViewOf(*viaView), RuleOf(*viaView), 2);
    for (int x = 0; x <= 65; ++x)
        for (int y = 0; y <= 49; ++y)
            ASSERT_EQ(viaView->Field[x][y], model->Field[x][y])
                << "cell (" << x << ", " << y << ")";
}

TEST(LargeField, SizesOutsideTheLimitsAreRefused) {
    const std::pair<int, int> sizes[] = {
        {0, 5}, {5, 0}, {-1, 5}, {MaxFieldSide + 1, 1}, {1, MaxFieldSide + 1}};
    std::vector<std::int32_t> cells(64);
    for (const auto& [w, h] : sizes) {
        EXPECT_THROW(TLargeField(w, h), std::invalid_argument) << w << " x " << h;
        EXPECT_THROW(StepField(TFieldView{cells.data(), h + 2, w, h}, TRuleParams{}),
                     std::invalid_argument)
            << w << " x " << h;
    }
    // A stride that would overlap the columns.
    EXPECT_THROW(StepField(TFieldView{cells.data(), 4, 3, 3}, TRuleParams{}),
                 std::invalid_argument);
}

} // namespace
