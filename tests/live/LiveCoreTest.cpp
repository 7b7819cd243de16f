// The live core without a display: its pattern against the renderer's, the settling of
// the field, and what the core draws and says once the field has settled.
#include "LiveCore.h"
#include "ColorTable.h"
#include "LiveKernels.h"
#include "LivePattern.h"
#include "SettledField.h"
#include "TestModel.h"
#include "Wall.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace ombrix {
namespace {

TEST(LivePattern, IsTheRenderersPatternPixelForPixel) {
    struct TCase {
        int Width, Height, Tiling, Zoom;
        TPlaceSize Limit; ///< only the top-left part this big, where smaller
        int States;       ///< cells 0..States-1; the first 32 colours go by sixteen
    };
    const TCase cases[] = {
        {512, 256, 1, 1, {}, 300},     {7, 5, 1, 3, {}, 300},       {1, 1, 1, 2, {}, 300},
        {6, 4, 0, 1, {}, 300},         {5, 3, 0, 8, {}, 300},       {40, 33, 2, 1, {}, 300},
        {40, 33, 1, 1, {29, 50}, 300}, {7, 5, 1, 3, {20, 16}, 300}, {6, 40, 1, 2, {0, 1}, 300},
        {9, 3, 0, 4, {35, 0}, 300},    {512, 256, 1, 1, {}, 32},    {64, 48, 0, 1, {}, 40},
        {96, 32, 1, 1, {}, 33},        {48, 16, 0, 1, {}, 32}};
    TLivePatternMaker maker;
    for (const TCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Width << "x" << c.Height << " tiling " << c.Tiling
                                          << " zoom " << c.Zoom << " limit " << c.Limit.Width << "x"
                                          << c.Limit.Height << " states " << c.States);
        TLargeField field(c.Width, c.Height);
        for (int x = 1; x <= c.Width; ++x)
            for (int y = 1; y <= c.Height; ++y)
                field.At(x, y) = (x * 37 + y * 11) % c.States; // low 8 bits pick above 255
        TColor table[ColorTableSize];
        for (int i = 0; i < ColorTableSize; ++i)
            table[i] = static_cast<TColor>(i * 0x010305 + 0x20406);
        TPixelImage tile;
        RenderTile(field.View(), table, tile);
        const TPixelImage expected = Zoomed(WallPattern(tile, c.Tiling), c.Zoom);
        const TLivePattern pattern = maker.Make(field.View(), table, c.Tiling, c.Zoom, {}, c.Limit);
        ASSERT_EQ(pattern.Width,
                  c.Limit.Width > 0 ? std::min(c.Limit.Width, expected.Width()) : expected.Width());
        ASSERT_EQ(pattern.Height, c.Limit.Height > 0 ? std::min(c.Limit.Height, expected.Height())
                                                     : expected.Height());
        int wrong = 0;
        for (int y = 0; y < pattern.Height; ++y)
            for (int x = 0; x < pattern.Width; ++x) {
                const TColor e = expected.Pixel(x, y);
                wrong += pattern.Pixels[y * pattern.Stride + x] !=
                         (0xFF000000u | RedOf(e) << 16 | GreenOf(e) << 8 | BlueOf(e));
            }
        EXPECT_EQ(wrong, 0);
        // Made in a display's buffer with wider rows, aligned as shared memory is: the same
        // rows, the rest untouched.
        const int stride = (pattern.Width + 5 + 15) / 16 * 16;
        std::vector<std::uint32_t> room(static_cast<std::size_t>(stride) * pattern.Height + 16, 7);
        std::uint32_t* buffer =
            room.data() + (64 - reinterpret_cast<std::uintptr_t>(room.data()) % 64) % 64 / 4;
        const std::vector<std::uint32_t> own(pattern.Pixels,
                                             pattern.Pixels + pattern.Width * pattern.Height);
        // The field's fingerprint comes along, however the pattern is made.
        std::uint64_t fingerprint = 0;
        const TLivePattern into = maker.Make(field.View(), table, c.Tiling, c.Zoom,
                                             {buffer, stride}, c.Limit, &fingerprint);
        ASSERT_EQ(into.Pixels, buffer);
        EXPECT_EQ(fingerprint, FieldFingerprint(field.View()));
        for (int y = 0; y < pattern.Height; ++y) {
            const std::uint32_t* row = buffer + y * stride;
            EXPECT_TRUE(std::equal(row, row + pattern.Width, own.begin() + y * pattern.Width));
            EXPECT_EQ(std::count(row + pattern.Width, row + stride, 7u), stride - pattern.Width);
        }
    }
}

// The AVX2 colours, which processors with AVX-512 never take for the pattern, against the
// pattern the maker makes.
TEST(LivePattern, Avx2ColoursAreTheMakersPattern) {
    if (!detail::HasAvx2Kernels())
        GTEST_SKIP() << "this processor has no AVX2";
    struct TCase {
        int Width, Height, Tiling, States;
    };
    const TCase cases[] = {{512, 256, 1, 32}, {48, 16, 0, 300}, {32, 24, 1, 300}};
    TLivePatternMaker maker;
    for (const TCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Width << "x" << c.Height << " tiling " << c.Tiling);
        ASSERT_TRUE(detail::FitsColourTile8(c.Width, c.Height, c.Tiling != 0));
        TLargeField field(c.Width, c.Height);
        for (int x = 1; x <= c.Width; ++x)
            for (int y = 1; y <= c.Height; ++y)
                field.At(x, y) = (x * 37 + y * 11) % c.States;
        TColor table[ColorTableSize];
        std::uint32_t argb[ColorTableSize];
        for (int i = 0; i < ColorTableSize; ++i) {
            table[i] = static_cast<TColor>(i * 0x010305 + 0x20406);
            argb[i] =
                0xFF000000u | RedOf(table[i]) << 16 | GreenOf(table[i]) << 8 | BlueOf(table[i]);
        }
        const TLivePattern made = maker.Make(field.View(), table, c.Tiling, 1);
        const std::size_t count = static_cast<std::size_t>(made.Width) * made.Height;
        for (const bool past : {false, true}) {
            std::vector<std::uint32_t> room(count + 8, 7);
            std::uint32_t* out =
                room.data() + (32 - reinterpret_cast<std::uintptr_t>(room.data()) % 32) % 32 / 4;
            detail::ColourTile8(field.View(), argb, c.Tiling != 0, out,
                                static_cast<std::size_t>(made.Width), past);
            EXPECT_TRUE(std::equal(out, out + count, made.Pixels)) << "past the cache: " << past;
        }
    }
}

TEST(SettleWatch, TellsTheCycleOnceTheFieldComesBack) {
    struct TCase {
        const char* Name;
        std::vector<std::uint64_t> Fingerprints;
        std::vector<int> Cycles;
    };
    std::vector<std::uint64_t> moving(40), longCycle;
    for (std::size_t i = 0; i < moving.size(); ++i)
        moving[i] = i * 7919;
    for (int round = 0; round < 2; ++round)
        for (std::uint64_t i = 0; i <= TSettleWatch::LongestCycle; ++i)
            longCycle.push_back(i);
    const TCase cases[] = {
        {"still point", {5, 6, 9, 9, 9}, {0, 0, 0, 1, 1}},
        {"two-cycle", {1, 2, 3, 2, 3, 2}, {0, 0, 0, 2, 2, 2}},
        {"three-cycle after a run", {8, 1, 2, 3, 1}, {0, 0, 0, 0, 3}},
        {"never back", moving, std::vector<int>(moving.size(), 0)},
        // One longer than the longest counted: the first state has been forgotten.
        {"cycle too long", longCycle, std::vector<int>(longCycle.size(), 0)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSettleWatch watch;
        std::vector<int> cycles;
        for (const std::uint64_t f : c.Fingerprints)
            cycles.push_back(watch.Add(f));
        EXPECT_EQ(cycles, c.Cycles);
    }
}

TEST(SettleWatch, FingerprintLanesTheSameEitherWay) {
    if (!detail::HasAvx512Kernels())
        GTEST_SKIP() << "this processor has no AVX-512 with 64-bit products";
    // Whole runs of 16, a tail, a tail alone, one cell.
    const std::pair<int, int> sizes[] = {{512, 256}, {7, 35}, {3, 15}, {1, 1}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(::testing::Message() << width << "x" << height);
        TLargeField field(width, height);
        for (int x = 1; x <= width; ++x)
            for (int y = 1; y <= height; ++y)
                field.At(x, y) = (x * 131 + y * 7) % 256;
        detail::TFingerprintLanes plain, vector;
        detail::FingerprintLanesPlain(field.View(), plain);
        detail::FingerprintLanes16(field.View(), vector);
        EXPECT_TRUE(std::equal(&plain.Lanes[0][0], &plain.Lanes[0][0] + 8 * detail::FingerprintRuns,
                               &vector.Lanes[0][0]));
        EXPECT_EQ(plain.Tail, vector.Tail);
    }
}

TEST(SettleWatch, FingerprintTellsFieldsApart) {
    TLargeField a(64, 32), b(64, 32);
    EXPECT_EQ(FieldFingerprint(a.View()), FieldFingerprint(b.View()));
    b.At(64, 32) = 1;
    EXPECT_NE(FieldFingerprint(a.View()), FieldFingerprint(b.View()));
    // The same cells moved to another column.
    TLargeField c(64, 32), d(64, 32);
    c.At(1, 5) = 3;
    d.At(2, 5) = 3;
    EXPECT_NE(FieldFingerprint(c.View()), FieldFingerprint(d.View()));
    // The wrap border is not the field.
    c.At(0, 0) = 9;
    d.At(1, 5) = 3;
    d.At(2, 5) = 0;
    EXPECT_EQ(FieldFingerprint(c.View()), FieldFingerprint(d.View()));
}

struct TCountingOutputs : TLiveOutputs {
    void Show(const TLivePattern&) override { ++Shown; }
    std::string Name() const override { return "counting"; }
    void Pace(int interval) override {
        if (Paces.empty() || Paces.back() != interval)
            Paces.push_back(interval);
    }
    int Shown = 0;
    std::vector<int> Paces; ///< as told, each change once
};

// A field of healthy cells stays so: it is still from the first generation on.
TStartedField QuietField() {
    TStartedField started{testing::NewModel(16, 8), TLargeField(16, 8), 10};
    return started;
}

template <typename Done> bool RunUntil(Done&& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

TEST(LiveCore, SettledFieldIsDrawnNoMoreOrStartsAfresh) {
    int argc = 1;
    char name[] = "live_core_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    // Stop: the seeded field is shown once; the first generation equals it and the
    // ticks stop with nothing more sent.
    TCountingOutputs outputs;
    TLiveCore stopping(QuietField(), 10, 1);
    stopping.SetOutputs(&outputs);
    stopping.Start();
    ASSERT_TRUE(RunUntil([&] { return stopping.Settled(); }));
    EXPECT_FALSE(stopping.Running());
    EXPECT_EQ(stopping.Generation(), 1u);
    EXPECT_EQ(outputs.Shown, 1);
    // The outputs heard that patterns came every 10 ms, then none.
    EXPECT_EQ(outputs.Paces, (std::vector<int>{0, 10, 0}));

    // Afresh: every settling starts the field again from the seed after the last one,
    // said with the generation it settled at; each fresh field is drawn once.
    TCountingOutputs fresh;
    std::vector<std::uint32_t> seeds;
    std::vector<std::string> said;
    TLiveCore renewing(QuietField(), 10, 1);
    renewing.StartAfreshWhenSettled(
        41,
        [&seeds](std::uint32_t seed) {
            seeds.push_back(seed);
            return QuietField();
        },
        [&said](const std::string& message) { said.push_back(message); });
    renewing.SetOutputs(&fresh);
    renewing.Start();
    ASSERT_TRUE(RunUntil([&] { return seeds.size() >= 3; }));
    renewing.Pause();
    EXPECT_EQ(seeds[0], NextSeed(41));
    EXPECT_EQ(seeds[1], NextSeed(seeds[0]));
    EXPECT_NE(seeds[0], seeds[1]);
    EXPECT_EQ(said[1], "the field settled at generation 0, still; starting afresh with seed " +
                           std::to_string(seeds[1]));
    EXPECT_EQ(renewing.Generation(), 0u);
    EXPECT_EQ(fresh.Shown, 1 + static_cast<int>(seeds.size()));
    EXPECT_FALSE(renewing.Settled());
    EXPECT_EQ(fresh.Paces, (std::vector<int>{0, 10, 0}));
}

} // namespace
} // namespace ombrix
