// ombrix-render's animations read back with each format's own decoder, frame by frame
// against the PNG frames of the same run; their delays and plays; the progress counting
// frames, and a stop that leaves no part of a file.
#include "AnimationFile.h"
#include "ColorTable.h"
#include "Render.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <vector>

using namespace ombrix;

namespace {

TPixelImage FromQImage(const QImage& image) {
    TPixelImage pixels(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            pixels.SetPixel(x, y, PackColor(qRed(p), qGreen(p), qBlue(p)));
        }
    return pixels;
}

struct TAnimationRun {
    const char* Name;
    const char* Settings;
    const char* Arguments;
    int Width;
    int Height;
    int Frames;
    int ShownDelay; // ms, as the file holds it
    int Plays;
};

const TAnimationRun Runs[] = {
    // The settings' Speed 15 is below the shortest delay.
    {"WebpZoomedShiftedTileDefaultDelay",
     "[Pendrel]\nAreaW=30\nAreaH=16\nTilingType=1\nUseColCnt=7\nSpeed=15\n",
     "--generations 7 --every 2 --zoom 2", 60, 64, 4, 20, 0},
    {"WebpWallOncePerMinute", "[Pendrel]\nAreaW=20\nAreaH=10\nUseColCnt=40\n",
     "--generations 3 --size 45x25 --delay 60000 --loop 1", 45, 25, 4, 60000, 1},
    // 74 ms are 7 hundredths; 200 states fill a colour map of 256.
    {"GifWallDelayRounded", "[Pendrel]\nAreaW=24\nAreaH=12\nUseColCnt=200\nColDiv=9\n",
     "--generations 5 --size 50x30 --delay 74 --loop 3", 50, 30, 6, 70, 3},
    // Speed 125: 12.5 hundredths, rounded up.
    {"GifTileSpeedDelayStampedText", "[Pendrel]\nAreaW=64\nAreaH=20\nUseColCnt=3\nSpeed=125\n",
     "--generations 9 --every 3 --text Om", 64, 20, 4, 130, 0},
};

void PrintTo(const TAnimationRun& run, std::ostream* out) {
    *out << run.Name;
}

class AnimationRuns : public ::testing::TestWithParam<TAnimationRun> {};

TEST_P(AnimationRuns, EveryFrameAsThePngFramesForItsDelayAsOftenAsAsked) {
    const TAnimationRun& run = GetParam();
    const bool gif = std::string(run.Name).starts_with("Gif");
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("start.ini"));
    std::ofstream(settings.toStdString()) << run.Settings;
    const QString output = dir.filePath(gif ? QStringLiteral("a.gif") : QStringLiteral("a.webp"));
    const QString frames = dir.filePath(QStringLiteral("frames"));

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(OMBRIX_RENDER_PROGRAM),
                  QStringList{QStringLiteral("--settings"), settings, QStringLiteral("--frames"),
                              frames, QStringLiteral("-o"), output} +
                      QString::fromLatin1(run.Arguments).split(QLatin1Char(' ')));
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    std::vector<TPixelImage> expected;
    for (const QString& name : QDir(frames).entryList(QDir::Files))
        expected.push_back(FromQImage(QImage(frames + QLatin1Char('/') + name)));
    ASSERT_EQ(int(expected.size()), run.Frames);
    const std::string file = output.toStdString();
    const auto read = gif ? ombrix::testing::DecodeGif(file) : ombrix::testing::DecodeWebp(file);
    EXPECT_EQ(read.Width, run.Width);
    EXPECT_EQ(read.Height, run.Height);
    EXPECT_EQ(read.Plays, run.Plays);
    EXPECT_EQ(read.Timeline(run.ShownDelay), expected);
    if (gif) {
        EXPECT_EQ(read.Durations, std::vector<int>(std::size_t(run.Frames), run.ShownDelay));
        const std::size_t mapSize = read.ColorMap.size();
        EXPECT_TRUE(mapSize >= 2 && mapSize <= 256 && (mapSize & (mapSize - 1)) == 0) << mapSize;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, AnimationRuns, ::testing::ValuesIn(Runs),
                         [](const auto& info) { return std::string(info.param.Name); });

// Generations 0, 3, 6, 9 of 10: the progress counts four frames; a stop after the second
// leaves the folder as it was.
TEST(AnimationRun, ProgressCountsFramesAndAStopLeavesNoFile) {
    QTemporaryDir dir;
    for (const char* name : {"a.webp", "a.gif"}) {
        TRenderOptions o;
        o.Output = dir.filePath(QString::fromLatin1(name)).toStdString();
        o.Format = std::string(name).ends_with("gif") ? TPictureFormat::Gif : TPictureFormat::Webp;
        o.Generations = 10;
        o.Every = 3;
        o.Field = TPictureSize{16, 8};
        std::vector<std::pair<int, int>> counts;
        TRenderHooks hooks;
        hooks.Progress = [&](std::int32_t done, std::int32_t total) {
            counts.emplace_back(done, total);
        };
        RunRender(o, dir.filePath(QStringLiteral("none.ini")).toStdString(), hooks);
        EXPECT_EQ(counts,
                  (std::vector<std::pair<int, int>>{{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}));
        ASSERT_TRUE(QFile::remove(QString::fromStdString(o.Output)));

        hooks.Interrupted = [&] { return counts.size() >= 8; };
        EXPECT_THROW(RunRender(o, dir.filePath(QStringLiteral("none.ini")).toStdString(), hooks),
                     TInterrupted);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
}

} // namespace
