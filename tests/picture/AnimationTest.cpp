// The animation writers against the formats' own decoders: every frame as shown, how long,
// how often, and (GIF) the colour map and the rectangles that changed.
#include "Animation.h"

#include "AnimationFile.h"
#include "BmpFile.h"
#include "ColorTable.h"
#include "Files.h"
#include "ThrowMessage.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace ombrix;
using ombrix::testing::TDecodedAnimation;
using ombrix::testing::TempDir;
using TRect = TDecodedAnimation::TRect;

namespace {

const std::vector<TColor> Palette = {PackColor(255, 0, 0), PackColor(0, 128, 0), PackColor(1, 2, 3),
                                     PackColor(250, 250, 250), PackColor(0, 0, 0)};

// Four 9 x 6 frames: a pattern of the five colours; then a 3 x 3 block at (2, 1) changed;
// then the same again; then only the two opposite corners changed.
std::vector<TPixelImage> Frames() {
    TPixelImage a(9, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x)
            a.SetPixel(x, y, Palette[std::size_t(x * 3 + y) % 5]);
    TPixelImage b = a;
    for (int y = 1; y <= 3; ++y)
        for (int x = 2; x <= 4; ++x)
            b.SetPixel(x, y, Palette[std::size_t(x * 3 + y + 1) % 5]);
    TPixelImage d = b;
    d.SetPixel(0, 0, d.Pixel(0, 0) == Palette[2] ? Palette[3] : Palette[2]);
    d.SetPixel(8, 5, d.Pixel(8, 5) == Palette[2] ? Palette[3] : Palette[2]);
    return {a, b, b, d};
}

struct TCase {
    TAnimationFormat Format;
    std::int32_t Delay;
    std::int32_t Loop;
    int ShownDelay; // what the file holds per frame
};

std::ostream& operator<<(std::ostream& out, const TCase& c) {
    return out << (c.Format == TAnimationFormat::Webp ? "webp" : "gif") << " delay " << c.Delay
               << " loop " << c.Loop;
}

class RoundTrip : public ::testing::TestWithParam<TCase> {};

TEST_P(RoundTrip, DecoderShowsEveryFrameForItsDelayAsOftenAsAsked) {
    const TCase c = GetParam();
    const TempDir dir;
    const std::string path = dir / "a";
    const auto frames = Frames();
    {
        auto writer = NewAnimationWriter(c.Format, path, {9, 6, c.Delay, c.Loop, Palette});
        for (const auto& frame : frames)
            writer->Add(frame);
        EXPECT_EQ(dir.Names(), std::set<std::string>{}) << "nothing under a name before Finish";
        writer->Finish();
    }
    EXPECT_EQ(dir.Names(), std::set<std::string>{"a"});
    const bool gif = c.Format == TAnimationFormat::Gif;
    const TDecodedAnimation read =
        gif ? ombrix::testing::DecodeGif(path) : ombrix::testing::DecodeWebp(path);
    EXPECT_EQ(read.Width, 9);
    EXPECT_EQ(read.Height, 6);
    EXPECT_EQ(read.Plays, c.Loop);
    EXPECT_EQ(read.Timeline(c.ShownDelay), frames);
    if (gif) {
        EXPECT_EQ(read.Durations, std::vector<int>(4, c.ShownDelay));
        EXPECT_EQ(read.Rects,
                  (std::vector<TRect>{{0, 0, 9, 6}, {2, 1, 3, 3}, {0, 0, 1, 1}, {0, 0, 9, 6}}));
        std::vector<TColor> map = Palette;
        map.resize(8, PackColor(0, 0, 0));
        EXPECT_EQ(read.ColorMap, map) << "the colours in order, padded to 8";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RoundTrip,
                         ::testing::Values(TCase{TAnimationFormat::Webp, 20, 0, 20},
                                           TCase{TAnimationFormat::Webp, 60000, 3, 60000},
                                           TCase{TAnimationFormat::Gif, 25, 0,
                                                 30}, // hundredths, half up
                                           TCase{TAnimationFormat::Gif, 24, 1, 20},
                                           TCase{TAnimationFormat::Gif, 60000, 65535, 60000}));

TEST(Animation, RefusalsLeaveNoFile) {
    const TempDir dir;
    const TPixelImage wrongSize(8, 6);
    TPixelImage foreign = Frames()[0];
    foreign.SetPixel(4, 4, PackColor(9, 9, 9));
    for (const auto format : {TAnimationFormat::Webp, TAnimationFormat::Gif}) {
        {
            auto writer = NewAnimationWriter(format, dir / "a", {9, 6, 100, 0, Palette});
            EXPECT_THROW(writer->Finish(), std::logic_error) << "no frame";
            EXPECT_THROW(writer->Add(wrongSize), std::invalid_argument);
            writer->Add(Frames()[0]);
            if (format == TAnimationFormat::Gif) {
                EXPECT_THROW(writer->Add(foreign), std::invalid_argument);
            }
        } // dropped without Finish
        for (const TAnimationLayout& bad :
             {TAnimationLayout{9, 6, 19, 0, Palette}, TAnimationLayout{9, 6, 60001, 0, Palette},
              TAnimationLayout{9, 6, 100, 65536, Palette}, TAnimationLayout{0, 6, 100, 0, Palette}})
            EXPECT_THROW(NewAnimationWriter(format, dir / "a", bad), std::invalid_argument);
        auto writer = NewAnimationWriter(format, dir / "no/a", {9, 6, 100, 0, Palette});
        writer->Add(Frames()[0]);
        EXPECT_THROW_ERROR(writer->Finish(), TFailure::CreateFile, dir / "no/a");

        // 128 x 128 pixels of five colours drawn at random take over 1000 bytes in either.
        const ombrix::testing::FileSizeLimit limit(1000);
        TPixelImage noise(128, 128);
        std::uint32_t state = 1;
        for (int i = 0; i < 128 * 128; ++i) {
            state = state * 1103515245u + 12345u;
            noise.Data()[i] = Palette[(state >> 16) % 5];
        }
        writer = NewAnimationWriter(format, dir / "big", {128, 128, 100, 0, Palette});
        writer->Add(noise);
        EXPECT_THROW_ERROR(writer->Finish(), TFailure::WriteFile, dir / "big");
    }
    EXPECT_EQ(dir.Names(), std::set<std::string>{});
}

TEST(Animation, RequestsThatCannotFitSaySoBeforeTheStart) {
    constexpr auto Webp = TAnimationFormat::Webp;
    constexpr auto Gif = TAnimationFormat::Gif;
    constexpr std::uint64_t GB = std::uint64_t{1} << 30;
    // 512 x 256 x 4 bytes = 512 KiB a frame.
    EXPECT_EQ(AnimationWorkingBytes(Gif, 512, 256), 3u << 19);
    EXPECT_NO_THROW(CheckAnimationFits(Webp, 16383, 256, 301, 20, GB));
    EXPECT_NO_THROW(CheckAnimationFits(Gif, 16384, 16384, 10, 20, std::nullopt));
    EXPECT_THROW_MSG(CheckAnimationFits(Webp, 16384, 256, 301, 20, GB), std::runtime_error,
                     "a WebP picture is at most 16383 pixels on a side, not 16384 x 256");
    // 2^31 - 1 ms is 2147483 s: 35792 frames of a minute pass it.
    EXPECT_NO_THROW(CheckAnimationFits(Webp, 8, 8, 35791, 60000, GB));
    EXPECT_THROW_MSG(CheckAnimationFits(Webp, 8, 8, 35792, 60000, GB), std::runtime_error,
                     "a WebP animation lasts at most 2147483 seconds, not 2147520 (fewer "
                     "frames or a shorter --delay)");
    EXPECT_THROW_MSG(CheckAnimationFits(Gif, 16384, 16384, 2, 20, GB), std::runtime_error,
                     "an animation of 16384 x 16384 frames needs about 3072 MB of memory at "
                     "once; 1024 MB are free");
    EXPECT_EQ(DistinctColors(std::vector<TColor>{5, 7, 5, 9, 7}.data(), 5),
              (std::vector<TColor>{5, 7, 9}));
}

} // namespace
