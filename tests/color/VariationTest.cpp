#include "Variation.h"
#include "ColorTable.h"
#include "Random.h"
#include "ReferenceRule.h"
#include "TestModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace ombrix;
using ombrix::testing::NewModel;
using ombrix::testing::RandomStateGuard;
using ombrix::testing::ReferenceStep;

namespace {

TLook LookOfSize(int w, int h) {
    TLook look;
    look.AreaW = w;
    look.AreaH = h;
    return look;
}

// Seeds a model as SeededFieldFor seeds its field and grows it with the rule as it
// reads; the fate as the gallery defines it.
struct TReferenceGrowth {
    std::unique_ptr<TFieldModel> Model;
    TFieldFate Fate;
};
TReferenceGrowth ReferenceGrowth(const TLook& look) {
    auto m = NewModel(std::min(look.AreaW, VariationMaxW), std::min(look.AreaH, VariationMaxH),
                      look.UseColCnt, look.TilingType);
    m->PrmG = look.PrmG;
    m->PrmK1 = look.PrmK1;
    m->PrmK2 = look.PrmK2;
    InitField(*m);
    auto before = std::make_unique<TFieldModel>();
    for (int g = 0; g < WarmUpGenerations; ++g) {
        *before = *m;
        ReferenceStep(*m);
    }
    bool healthy = true, same = true;
    double sum = 0, squares = 0, products = 0;
    for (int x = 1; x <= m->AreaW; ++x)
        for (int y = 1; y <= m->AreaH; ++y) {
            const int c = m->Field[x][y];
            healthy = healthy && c == 0;
            same = same && c == before->Field[x][y];
            sum += c;
            squares += c * c;
            products += c * m->Field[x == m->AreaW ? 1 : x + 1][y];
        }
    const double n = m->AreaW * m->AreaH, mean = sum / n;
    const double correlation = (products / n - mean * mean) / (squares / n - mean * mean);
    TFieldFate fate = TFieldFate::Lives;
    if (healthy)
        fate = TFieldFate::DiesOut;
    else if (same)
        fate = TFieldFate::Freezes;
    else if (correlation < NoiseCorrelation)
        fate = TFieldFate::Noise;
    return {std::move(m), fate};
}

} // namespace

// Two hundred draws of a 200 x 100 look: every value in the ranges, the size kept (the
// field cut to 128 x 64), the colours a closed gradient over the entries in use, and no
// draw from the program's own sequence.
TEST(Variation, EveryDrawLiesInTheLivelyRanges) {
    const RandomStateGuard programs(77);
    TRandomStream stream(1);
    for (int i = 0; i < 200; ++i) {
        const TLook look = stream.Run([] { return DrawVariation(LookOfSize(200, 100)); });
        SCOPED_TRACE(i);
        EXPECT_TRUE(LivelyRanges.Contains(look));
        EXPECT_TRUE(look.PrmK2 <= 2 || look.PrmK1 <= 2);
        EXPECT_LE(look.PrmK1, 6);
        EXPECT_GE(look.PrmG, 4);
        EXPECT_LE(look.PrmG, std::max(4, look.UseColCnt / 4));
        EXPECT_EQ(look.AreaW, 200);
        EXPECT_EQ(look.AreaH, 100);
        EXPECT_TRUE(std::all_of(look.ColorTable.begin() + look.UseColCnt, look.ColorTable.end(),
                                [](TColor c) { return c == 0; }));
        auto rebuilt = NewModel(8, 8, look.UseColCnt);
        ApplyLook(look, *rebuilt);
        MakeColorTable(*rebuilt);
        EXPECT_EQ(LookOf(*rebuilt), look);
    }
    EXPECT_EQ(RandSeed, 77u);
    auto field = stream.Run([] { return SeededFieldFor(LookOfSize(200, 100)); });
    EXPECT_EQ(field->Width(), 128);
    EXPECT_EQ(field->Height(), 64);
}

struct ReplacedCase {
    std::uint32_t Seed;
    const TVariationRanges* Ranges;
    TFieldFate FirstFate;
};

class Replacement : public ::testing::TestWithParam<ReplacedCase> {};

// Streams whose first draw dies out, freezes or is noise: the draws are replayed with the
// rule as it reads; every draw before the one kept failed, the one kept lives, and its
// field is the one grown by the rule.
TEST_P(Replacement, DeadFrozenAndNoisyDrawsAreReplaced) {
    const ReplacedCase& c = GetParam();
    TRandomStream stream(c.Seed);
    const TLivingVariation kept =
        stream.Run([&] { return DrawLivingVariation(TLook{}, *c.Ranges); });
    EXPECT_EQ(kept.Fate, TFieldFate::Lives);
    EXPECT_EQ(kept.Generation, WarmUpGenerations);
    ASSERT_GE(kept.Replaced, 1);

    TRandomStream replay(c.Seed);
    for (int draw = 0; draw <= kept.Replaced; ++draw) {
        SCOPED_TRACE(draw);
        const TLook look = replay.Run([&] { return DrawVariation(TLook{}, *c.Ranges); });
        const TReferenceGrowth grown = replay.Run([&] { return ReferenceGrowth(look); });
        if (draw == 0) {
            EXPECT_EQ(grown.Fate, c.FirstFate);
        }
        if (draw < kept.Replaced) {
            EXPECT_NE(grown.Fate, TFieldFate::Lives);
            continue;
        }
        EXPECT_EQ(grown.Fate, TFieldFate::Lives);
        EXPECT_EQ(look, kept.Look);
        for (int x = 1; x <= kept.Field->Width(); ++x)
            for (int y = 1; y <= kept.Field->Height(); ++y)
                ASSERT_EQ(kept.Field->At(x, y), grown.Model->Field[x][y]) << x << "," << y;
    }
}

// Found by drawing from the seeds 1 upwards: in the gallery's ranges about one draw in
// a thousand dies out (PrmK1 2, PrmK2 5) and a few are noise (few states); over the
// whole ranges PrmG 0 freezes.
INSTANTIATE_TEST_SUITE_P(Seeds, Replacement,
                         ::testing::Values(ReplacedCase{702, &LivelyRanges, TFieldFate::DiesOut},
                                           ReplacedCase{1733, &LivelyRanges, TFieldFate::DiesOut},
                                           ReplacedCase{6, &LivelyRanges, TFieldFate::Noise},
                                           ReplacedCase{47, &LivelyRanges, TFieldFate::Noise},
                                           ReplacedCase{54, &WholeRanges, TFieldFate::Freezes},
                                           ReplacedCase{381, &WholeRanges, TFieldFate::Freezes}));
