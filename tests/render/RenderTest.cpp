// ombrix-render against the window's own road from the same start: the settings read,
// the field seeded, the generations stepped and the picture composed by the engine and
// picture libraries directly. The program runs as a process without any display.
#include "Render.h"
#include "BmpFile.h"
#include "ColorTable.h"
#include "ErrorWords.h"
#include "Export.h"
#include "IniFile.h"
#include "Random.h"
#include "Settings.h"
#include "Wall.h"
#include "Wallpaper.h"
#include "Xvfb.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

using namespace ombrix;
using ombrix::testing::StartXvfb;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

void WriteText(const QString& path, const std::string& text) {
    std::ofstream(path.toStdString()) << text;
}

// What the window holds after its start from `settingsPath` and `ticks` timer ticks,
// with the random source at `seed` before the start.
struct TWindowRun {
    std::unique_ptr<TFieldModel> Model = std::make_unique<TFieldModel>();

    TWindowRun(const QString& settingsPath, std::uint32_t seed, bool randomize = false) {
        std::int32_t speed;
        std::string fileName;
        RandSeed = seed;
        ReadSettings(TIniFile(settingsPath.toStdString()), *Model, speed, fileName);
        InitField(*Model);
        if (randomize) { // "ColorTable Randomize"
            RandomizeColorTable(*Model);
            MakeColorTable(*Model);
        }
    }
    void Tick(int ticks) {
        for (int i = 0; i < ticks; ++i)
            StepField(*Model);
    }
    // What "Save" writes.
    TPixelImage Saved() const {
        TPixelImage tile;
        RenderTile(*Model, tile);
        return ComposeExport(tile, Model->TilingType);
    }
};

struct TRun {
    int ExitCode;
    QProcess::ExitStatus Status;
    QString Errors;
};

// The program with no display in its environment at all.
QProcessEnvironment NoDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

TRun RunProgram(const QStringList& args, const QProcessEnvironment& env = NoDisplay()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(OMBRIX_RENDER_PROGRAM), args);
    process.waitForFinished(300000);
    return {process.exitCode(), process.exitStatus(),
            QString::fromUtf8(process.readAllStandardError())};
}

// Polls `done` every 10 ms for up to two minutes; whether it came to hold.
bool PollUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The memory the process holds, in MiB (0 once it is gone).
long ResidentMiB(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long kilobytes = 0;
    while (status >> key && key != "VmRSS:")
        std::getline(status, key);
    status >> kilobytes;
    return kilobytes / 1024;
}

bool SamePixels(const QImage& read, const TPixelImage& expected) {
    if (read.width() != expected.Width() || read.height() != expected.Height())
        return false;
    for (int y = 0; y < read.height(); ++y)
        for (int x = 0; x < read.width(); ++x) {
            const QRgb p = read.pixel(x, y);
            if (PackColor(qRed(p), qGreen(p), qBlue(p)) != (expected.Pixel(x, y) & 0xFFFFFFu))
                return false;
        }
    return true;
}

struct TFaithfulCase {
    const char* Name;
    const char* Settings;       // the file ombrix-render starts from; nullptr: none
    const char* Arguments;      // further options, blank-separated
    const char* WindowSettings; // what the window's file must say for the same start
    std::uint32_t Seed;
    bool Randomize;
    int Generations;
};

const TFaithfulCase FaithfulCases[] = {
    {"NoSettingsFile", nullptr, "", nullptr, 0, false, 300},
    {"ShiftedOddWidthFewStates",
     "[Pendrel]\nTilingType=1\nAreaW=129\nAreaH=40\nUseColCnt=5\nColDiv=3\nPrmG=3\nPrmK1=1\n"
     "PrmK2=3\nColor000=255\nColor003=$FF00\n",
     "", nullptr, 0, false, 57},
    {"LargestWindowField", "[Pendrel]\nAreaW=512\nAreaH=256\nTilingType=1\n", "", nullptr, 0, false,
     20},
    {"OutOfRangeValuesAsTheWindowTakesThem", "[Pendrel]\nAreaW=9999\nAreaH=0\nUseColCnt=0\n", "",
     nullptr, 0, false, 3},
    {"OverridesAsIfTheFileSaidSo", nullptr,
     "--states 16 --segments 4 --tiling 1 --rule 7,3,1 --field 200x100",
     "[Pendrel]\nUseColCnt=16\nColDiv=4\nTilingType=1\nPrmG=7\nPrmK1=3\nPrmK2=1\nAreaW=200\n"
     "AreaH=100\n",
     0, false, 40},
    {"SeedAndRandomizedColors", "[Pendrel]\nUseColCnt=64\nColDiv=5\n",
     "--seed 123456789 --randomize-colours", nullptr, 123456789, true, 12},
};

void PrintTo(const TFaithfulCase& c, std::ostream* out) {
    *out << c.Name;
}

class Faithful : public ::testing::TestWithParam<TFaithfulCase> {};

TEST_P(Faithful, BmpEqualsTheWindowsSaveByteForByte) {
    const TFaithfulCase& c = GetParam();
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("start.ini"));
    if (c.Settings)
        WriteText(settings, c.Settings);
    const QString windowSettings = dir.filePath(QStringLiteral("window.ini"));
    WriteText(windowSettings, c.WindowSettings ? c.WindowSettings : (c.Settings ? c.Settings : ""));

    const QString out = dir.filePath(QStringLiteral("x.bmp"));
    QStringList args{QStringLiteral("--settings"),
                     settings,
                     QStringLiteral("--generations"),
                     QString::number(c.Generations),
                     QStringLiteral("-o"),
                     out};
    args += QString::fromLatin1(c.Arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const TRun run = RunProgram(args);
    ASSERT_EQ(run.ExitCode, 0) << run.Errors.toStdString();
    EXPECT_TRUE(run.Errors.isEmpty()) << run.Errors.toStdString();

    TWindowRun window(windowSettings, c.Seed, c.Randomize);
    window.Tick(c.Generations);
    EXPECT_EQ(ReadFile(out), EncodeBmp(window.Saved()));
}

INSTANTIATE_TEST_SUITE_P(Table, Faithful, ::testing::ValuesIn(FaithfulCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// --zoom N draws each cell as N x N pixels: the tile picture is the window's Save with
// every pixel N x N, and a wall N times as wide and high is the plain wall magnified.
TEST(Render, ZoomMagnifiesTheTileAndTheWall) {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("start.ini"));
    WriteText(settings, "[Pendrel]\nTilingType=1\nAreaW=33\nAreaH=20\n");
    const auto render = [&](const QString& name, const QStringList& more) {
        const QString out = dir.filePath(name);
        const TRun run = RunProgram(QStringList{QStringLiteral("--settings"), settings,
                                                QStringLiteral("--generations"),
                                                QStringLiteral("9"), QStringLiteral("-o"), out} +
                                    more);
        EXPECT_EQ(run.ExitCode, 0) << run.Errors.toStdString();
        return QImage(out);
    };
    const auto magnifies = [](const QImage& zoomed, const QImage& plain, int n) {
        if (zoomed.size() != plain.size() * n)
            return false;
        for (int y = 0; y < zoomed.height(); ++y)
            for (int x = 0; x < zoomed.width(); ++x)
                if (zoomed.pixel(x, y) != plain.pixel(x / n, y / n))
                    return false;
        return true;
    };
    TWindowRun window(settings, 0);
    window.Tick(9);
    const TPixelImage saved = window.Saved();
    QImage savedImage(saved.Width(), saved.Height(), QImage::Format_RGB32);
    for (int y = 0; y < saved.Height(); ++y)
        for (int x = 0; x < saved.Width(); ++x) {
            const TColor c = saved.Pixel(x, y);
            savedImage.setPixel(x, y, qRgb(RedOf(c), GreenOf(c), BlueOf(c)));
        }
    EXPECT_TRUE(
        magnifies(render(QStringLiteral("tile.png"), {QStringLiteral("--zoom=3")}), savedImage, 3));
    // 70 x 50 crosses the 33 x 40 pattern's edges; at zoom 2 the pattern is 66 x 80.
    const QImage wall = render(QStringLiteral("wall.png"), {QStringLiteral("--size=70x50")});
    EXPECT_TRUE(magnifies(render(QStringLiteral("wall2.png"),
                                 {QStringLiteral("--size=140x100"), QStringLiteral("--zoom=2")}),
                          wall, 2));
}

// A text in the sample's own grey matches every pixel: every cell becomes healthy, so
// the whole picture shows ColorTable[0], from the start red 220, green 8, blue 0.
TEST(Render, TextInTheSampleGreyMakesEveryCellHealthy) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("t.png"));
    const TRun run = RunProgram(
        {QStringLiteral("--settings"), dir.filePath("none.ini"), QStringLiteral("--generations"),
         QStringLiteral("0"), QStringLiteral("--text"), QStringLiteral("Ombrix"),
         QStringLiteral("--text-colour"), QStringLiteral("#808080"), QStringLiteral("-o"), out});
    ASSERT_EQ(run.ExitCode, 0) << run.Errors.toStdString();
    const QImage picture(out);
    ASSERT_EQ(picture.size(), QSize(128, 64));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            ASSERT_EQ(picture.pixel(x, y) & RGB_MASK, qRgb(220, 8, 0) & RGB_MASK) << x << "," << y;
}

// Frames 0, 1, 2 are generations 0, 2, 4; each, like the picture, a 50 x 30 wall.
TEST(Render, FramesEveryKGenerationsFromGenerationZero) {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("s.ini"));
    WriteText(settings, "[Pendrel]\nAreaW=20\nAreaH=12\nTilingType=1\nUseColCnt=9\n");
    TRenderOptions o;
    o.Output = dir.filePath(QStringLiteral("wall.png")).toStdString();
    o.Generations = 5;
    o.Kind = TOutputKind::Wall;
    o.WallSize = {50, 30};
    o.FramesDir = dir.filePath(QStringLiteral("frames/new")).toStdString();
    o.Every = 2;
    RunRender(o, settings.toStdString());

    EXPECT_EQ(QDir(QString::fromStdString(*o.FramesDir)).entryList(QDir::Files),
              (QStringList{"frame-000000.png", "frame-000001.png", "frame-000002.png"}));
    TWindowRun window(settings, 0);
    for (int frame = 0; frame < 3; ++frame) {
        if (frame > 0)
            window.Tick(2);
        TPixelImage tile;
        RenderTile(*window.Model, tile);
        EXPECT_TRUE(SamePixels(QImage(QString::fromStdString(FramePath(*o.FramesDir, frame))),
                               WallpaperPicture(tile, 1, 50, 30)))
            << "frame " << frame;
    }
    window.Tick(1); // generation 5
    TPixelImage tile;
    RenderTile(*window.Model, tile);
    EXPECT_TRUE(
        SamePixels(QImage(QString::fromStdString(o.Output)), WallpaperPicture(tile, 1, 50, 30)));
}

TEST(Render, InterruptedRunLeavesTheOldPictureAlone) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("keep.bmp"));
    WriteText(out, "old picture");
    TRenderOptions o;
    o.Output = out.toStdString();
    o.Format = TPictureFormat::Bmp;
    o.Generations = 100;
    std::int32_t reached = -1;
    TRenderHooks hooks;
    hooks.Progress = [&](std::int32_t done, std::int32_t) { reached = done; };
    hooks.Interrupted = [&] { return reached >= 3; };
    EXPECT_THROW(RunRender(o, dir.filePath("none.ini").toStdString(), hooks), TInterrupted);
    EXPECT_EQ(reached, 3);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.bmp"});
    EXPECT_EQ(ReadFile(out), (Bytes{'o', 'l', 'd', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));
}

// The command-line programs' words for each failure: what failed, the file in quotes and
// the system's reason.
TEST(Render, ErrorWordsNameTheFileAndTheSystemsReason) {
    struct TRow {
        TFailure Failure;
        int Errno; // 0: no reason
        std::string Words;
    };
    const TRow rows[] = {
        {TFailure::CreateFile, ENOENT, "cannot write \"/t/a b.png\": No such file or directory"},
        {TFailure::WriteFile, EFBIG, "cannot write \"/t/a b.png\": File too large"},
        {TFailure::ReadFile, EISDIR, "cannot read \"/t/a b.png\": Is a directory"},
        {TFailure::WriteSettings, EACCES, "cannot write \"/t/a b.png\": Permission denied"},
        {TFailure::RemoveFile, EPERM, "cannot remove \"/t/a b.png\": Operation not permitted"},
        {TFailure::NotALookFile, 0, "\"/t/a b.png\" holds no Ombrix look"},
        {TFailure::MakeFolder, ENOTDIR, "cannot make the folder \"/t/a b.png\": Not a directory"},
        {TFailure::StartProgram, 0, "cannot start \"/t/a b.png\""},
    };
    ASSERT_EQ(std::size(rows), std::size(AllFailures));
    for (const TRow& row : rows) {
        const std::error_code code =
            row.Errno ? std::error_code(row.Errno, std::system_category()) : std::error_code();
        EXPECT_EQ(ExceptionWords(TError(row.Failure, "/t/a b.png", code)), row.Words);
    }
    EXPECT_EQ(ErrorWords(TError(TFailure::ReadFile, "/t/new\nline\x1b.ini")),
              "cannot read \"/t/new\\nline\\x1b.ini\"");
    EXPECT_EQ(ExceptionWords(std::bad_alloc()), "not enough memory");
}

TEST(Render, ExitStatusAndOneLineForEachKindOfFailure) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no/such/x.bmp"));
    const TRun failed = RunProgram(
        {QStringLiteral("--generations"), QStringLiteral("1"), QStringLiteral("-o"), missing});
    EXPECT_EQ(failed.ExitCode, 1);
    EXPECT_EQ(failed.Errors,
              QStringLiteral("ombrix-render: cannot write \"%1\": No such file or directory.\n")
                  .arg(missing));

    const TRun usage = RunProgram({QStringLiteral("--states"), QStringLiteral("300"),
                                   QStringLiteral("-o"), dir.filePath("x.png")});
    EXPECT_EQ(usage.ExitCode, 2);
    EXPECT_EQ(usage.Errors, QStringLiteral("ombrix-render: --states: expected a whole number "
                                           "from 1 to 256, not \"300\"\n"));

    const TRun screen = RunProgram({QStringLiteral("--size"), QStringLiteral("screen"),
                                    QStringLiteral("-o"), dir.filePath("x.png")});
    EXPECT_EQ(screen.ExitCode, 1);
    EXPECT_TRUE(screen.Errors.startsWith(QStringLiteral("ombrix-render: --size screen needs a "
                                                        "display")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});
}

// Whatever cannot be read or written is refused before the work, in one line that names
// the file (control characters escaped) and the system's reason; nothing is written.
TEST(Render, BadFilesAndNamesAreRefusedBeforeTheWork) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString loop = dir.filePath(QStringLiteral("loop.ini"));
    QFile::link(loop, loop);
    const QString out = dir.filePath(QStringLiteral("x.png"));
    const QString cannot =
        QStringLiteral("ombrix-render: cannot read the settings file \"%1\": %2.\n");
    struct TCase {
        QStringList Args;
        int ExitCode;
        QString Errors;
    };
    const TCase cases[] = {
        {{"--settings", fifo, "-o", out}, 1, cannot.arg(fifo, "it is a FIFO, not a file")},
        {{"--settings", dir.path(), "-o", out}, 1, cannot.arg(dir.path(), "Is a directory")},
        {{"--settings", loop, "-o", out}, 1, cannot.arg(loop, "Too many levels of symbolic links")},
        {{"--settings", "/dev/zero", "-o", out},
         1,
         cannot.arg("/dev/zero", "it is a device, not a file")},
        {{"-o", dir.filePath("new\nline/x.png")},
         1,
         QStringLiteral("ombrix-render: cannot write \"%1/new\\nline/x.png\": No such file or "
                        "directory.\n")
             .arg(dir.path())},
        {{"-o", out, "--frames", dir.filePath("x.png/f")},
         1,
         QStringLiteral("ombrix-render: cannot make the folder \"%1\": Not a directory.\n")
             .arg(dir.filePath("x.png/f"))},
    };
    WriteText(out, "old");
    for (const TCase& c : cases) {
        const TRun run = RunProgram(c.Args);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << c.Args.join(' ').toStdString();
        EXPECT_EQ(run.Errors, c.Errors);
    }
    EXPECT_EQ(ReadFile(out), (Bytes{'o', 'l', 'd'}));

    // A write that fails on the way (here a file size limit, as a full disk would) names
    // the frame and the system's reason, and leaves no part of it.
    QProcess limited;
    limited.setProcessEnvironment(NoDisplay());
    const QString frames = dir.filePath(QStringLiteral("frames"));
    limited.start(QStringLiteral("prlimit"), {"--fsize=5000", OMBRIX_RENDER_PROGRAM, "--field",
                                              "64x64", "--frames", frames, "-o", out});
    ASSERT_TRUE(limited.waitForFinished(60000));
    EXPECT_EQ(limited.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(limited.readAllStandardError()),
              QStringLiteral("ombrix-render: cannot write \"%1/frame-000000.png\": File too "
                             "large.\n")
                  .arg(frames));
    EXPECT_EQ(QDir(frames).entryList(QDir::Files | QDir::Hidden), QStringList{});

    // An unknown font family is a wrong command line that names the installed ones close
    // to it; a display that cannot be reached is one line, not an abort.
    const TRun font = RunProgram({"--text", "A", "--font", "DejaVu Sanz,12", "-o", out});
    EXPECT_EQ(font.ExitCode, 2);
    EXPECT_TRUE(font.Errors.startsWith("ombrix-render: --font: no font family \"DejaVu Sanz\" is "
                                       "installed; close: \"DejaVu Sans\""))
        << font.Errors.toStdString();
    QProcessEnvironment gone = NoDisplay();
    gone.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
    const TRun screen = RunProgram({"--size", "screen", "-o", out}, gone);
    EXPECT_EQ(screen.Status, QProcess::NormalExit);
    EXPECT_EQ(screen.ExitCode, 1);
    EXPECT_EQ(screen.Errors, "ombrix-render: --size screen: cannot reach the display \":97\"\n");
}

// --seed random draws a seed and says it, also with --quiet; the same seed given back
// makes the same picture, written here to standard output.
TEST(Render, RandomSeedIsShownAndMakesThePictureAgain) {
    QTemporaryDir dir;
    const QString drawn = dir.filePath(QStringLiteral("drawn.bmp"));
    const TRun run = RunProgram({"--seed", "random", "-q", "--generations", "5", "-o", drawn});
    ASSERT_EQ(run.ExitCode, 0);
    ASSERT_TRUE(run.Errors.startsWith(QStringLiteral("seed "))) << run.Errors.toStdString();
    QProcess again;
    again.setProcessEnvironment(NoDisplay());
    again.start(QStringLiteral(OMBRIX_RENDER_PROGRAM),
                {"--seed", run.Errors.mid(5).trimmed(), "--generations", "5", "--format", "bmp",
                 "-o", "-"});
    ASSERT_TRUE(again.waitForFinished(60000));
    const QByteArray picture = again.readAllStandardOutput();
    EXPECT_EQ(Bytes(picture.begin(), picture.end()), ReadFile(drawn));
}

// A stop signal ends the run at once wherever it is, with the signal's own status, and
// leaves no file: here while a large field is seeded and while a large picture is encoded,
// each a few seconds of work. The phase shows in the memory the run holds: the seeded
// field of 16384 x 8192 cells grows to about a gigabyte (the program before it holds tens
// of megabytes); the encoding starts once the wall of 16384 x 16384 pixels (1024 MiB at
// four bytes a pixel) and the encoder's copy of it (768 MiB at three) are both there.
TEST(Render, StopSignalsEndTheRunAtOnce) {
    struct TCase {
        const char* Phase;
        QStringList Args;
        int Signal;
        long HeldMiB;
    };
    const TCase cases[] = {
        {"seeding", {"--field", "16384x8192", "--size", "16x16"}, SIGTERM, 256},
        {"encoding", {"--size", "16384x16384"}, SIGINT, 1024 + 768},
    };
    for (const TCase& c : cases) {
        QTemporaryDir dir;
        QProcess process;
        process.setProcessEnvironment(NoDisplay());
        process.start(QStringLiteral(OMBRIX_RENDER_PROGRAM),
                      c.Args + QStringList{"--generations", "0", "-o", dir.filePath("x.png")});
        ASSERT_TRUE(process.waitForStarted());
        ASSERT_TRUE(PollUntil([&] { return ResidentMiB(process.processId()) >= c.HeldMiB; }))
            << c.Phase;
        ::kill(static_cast<pid_t>(process.processId()), c.Signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << c.Phase;
        EXPECT_EQ(process.exitCode(), c.Signal) << c.Phase;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{}) << c.Phase;
        EXPECT_TRUE(process.readAllStandardError().contains("stopped")) << c.Phase;
    }
}

// With no session bus (so no portal) on a GNOME desktop, the background goes through the
// real gsettings: a copy of the picture in the window's wallpaper folder, set for the
// desktop to repeat.
TEST(Render, SetWallpaperAsTheWindowsButtonDoes) {
    QTemporaryDir dir;
    QProcessEnvironment env = NoDisplay();
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
    env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    // A relative XDG folder is ignored, as if unset: the wallpapers go to the default
    // under HOME, and no "--help" reaches a path or a tool.
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("--help"));
    const QString out = dir.filePath(QStringLiteral("x.bmp"));
    QProcess render;
    render.setProcessEnvironment(env);
    render.start(QStringLiteral(OMBRIX_RENDER_PROGRAM),
                 {QStringLiteral("--settings"), dir.filePath(QStringLiteral("none.ini")),
                  QStringLiteral("--generations"), QStringLiteral("3"),
                  QStringLiteral("--set-wallpaper"), QStringLiteral("-o"), out});
    ASSERT_TRUE(render.waitForFinished(300000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();

    QProcess get;
    get.setProcessEnvironment(env);
    get.start(QStringLiteral("gsettings"),
              {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.background"),
               QStringLiteral("picture-uri")});
    ASSERT_TRUE(get.waitForFinished(60000));
    const QString uri = QString::fromUtf8(get.readAllStandardOutput()).trimmed();
    const QString folder = dir.filePath(QStringLiteral(".local/share/Ombrix/wallpapers/"));
    ASSERT_TRUE(uri.startsWith(QStringLiteral("'file://") + folder)) << uri.toStdString();
    const QString copy = uri.mid(8, uri.size() - 9);
    EXPECT_EQ(QImage(copy), QImage(out).convertToFormat(QImage(copy).format()));
}

// --restore-wallpaper puts back what --set-wallpaper replaced, through the real
// gsettings: the user's own picture and its options, exactly as they were.
TEST(Render, RestoreWallpaperPutsBackWhatWasReplaced) {
    QTemporaryDir dir;
    QProcessEnvironment env = NoDisplay();
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
    env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    const auto gsettings = [&](const QStringList& arguments) {
        QProcess run;
        run.setProcessEnvironment(env);
        run.start(QStringLiteral("gsettings"), arguments);
        run.waitForFinished(60000);
        return QString::fromUtf8(run.readAllStandardOutput()).trimmed();
    };
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    gsettings({"set", schema, "picture-uri", "file:///home/u/mine.jpg"});
    gsettings({"set", schema, "picture-options", "centered"});
    const auto shown = [&] {
        return gsettings({"get", schema, "picture-uri"}) + QLatin1Char(' ') +
               gsettings({"get", schema, "picture-options"});
    };
    ASSERT_EQ(shown(), QStringLiteral("'file:///home/u/mine.jpg' 'centered'"));
    const TRun set = RunProgram({"--settings", dir.filePath("none.ini"), "--generations", "0",
                                 "--set-wallpaper", "-o", dir.filePath("x.png")},
                                env);
    ASSERT_EQ(set.ExitCode, 0) << set.Errors.toStdString();
    EXPECT_TRUE(shown().endsWith(QStringLiteral(".png' 'wallpaper'"))) << shown().toStdString();
    const TRun restore = RunProgram({"--restore-wallpaper", "-q"}, env);
    ASSERT_EQ(restore.ExitCode, 0) << restore.Errors.toStdString();
    EXPECT_EQ(restore.Errors, QString());
    EXPECT_EQ(shown(), QStringLiteral("'file:///home/u/mine.jpg' 'centered'"));
}

// Ctrl-C while the desktop background is being set, here on a session bus that accepts
// and never answers, cancels the setting and ends the run by the signal at once; the
// message says the picture is there, as it is.
TEST(Render, StopSignalWhileSettingTheBackground) {
    QTemporaryDir dir;
    QLocalServer stuck;
    ASSERT_TRUE(stuck.listen(dir.filePath(QStringLiteral("bus"))));
    QProcessEnvironment env = NoDisplay();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("bus")));
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    const QString out = dir.filePath(QStringLiteral("x.png"));
    QProcess render;
    render.setProcessEnvironment(env);
    render.start(QStringLiteral(OMBRIX_RENDER_PROGRAM),
                 {"--settings", dir.filePath("none.ini"), "--generations", "0", "--set-wallpaper",
                  "-o", out});
    ASSERT_TRUE(render.waitForStarted());
    // Setting starts once the picture is written, by connecting to the bus.
    ASSERT_TRUE(PollUntil([&] {
        return QFile::exists(out) &&
               (stuck.hasPendingConnections() || stuck.waitForNewConnection(0));
    }));
    ::kill(static_cast<pid_t>(render.processId()), SIGINT);
    ASSERT_TRUE(render.waitForFinished(60000));
    EXPECT_EQ(render.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(render.exitCode(), SIGINT);
    EXPECT_EQ(
        QString::fromUtf8(render.readAllStandardError()),
        QStringLiteral("ombrix-render: stopped; %1 was written, and setting it as the desktop "
                       "background was cancelled\n")
            .arg(out));
    EXPECT_TRUE(SamePixels(QImage(out), TWindowRun(dir.filePath("none.ini"), 0).Saved()));
}

// No way works (no bus, no display, a desktop of no known kind): the message keeps its
// lines, one a way, and the newline in the wallpaper folder's name is escaped.
TEST(Render, NoWayWorkedSaysEachWayOnItsLine) {
    QTemporaryDir dir;
    QProcessEnvironment env = NoDisplay();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("no-bus")));
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("Nowhere"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("da\nta")));
    const TRun run = RunProgram({"--settings", dir.filePath("none.ini"), "--generations", "0",
                                 "--set-wallpaper", "-o", dir.filePath("x.png")},
                                env);
    EXPECT_EQ(run.ExitCode, 1);
    const QStringList lines = run.Errors.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 7) << run.Errors.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("ombrix-render: The desktop background could not be set. "
                                       "The picture is saved as"));
    EXPECT_TRUE(lines[1].startsWith(dir.filePath(QStringLiteral("da\\nta/Ombrix/wallpapers/"))))
        << lines[1].toStdString();
    EXPECT_EQ(lines.mid(2, 3), QStringList({"to set it by hand.", "", "Ways tried:"}));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("- "))) << run.Errors.toStdString();
    EXPECT_TRUE(run.Errors.endsWith(QStringLiteral(".\n")));
}

// After a success the desktop notification is sent before the program ends: the test
// portal refuses (response 2), the real gsettings sets the background, and the
// notification service on the same private bus has been told by the time the program
// has exited.
TEST(Render, NotificationIsSentBeforeTheEnd) {
    QTemporaryDir dir;
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--print-address"),
               QStringLiteral("--nofork")});
    ASSERT_TRUE(bus.waitForReadyRead(20000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    QProcessEnvironment env = NoDisplay();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    QProcess portal;
    portal.setProcessEnvironment(env);
    portal.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(OMBRIX_PORTAL_SERVICE), QStringLiteral("2"), dir.path(),
                  QStringLiteral("--notify")});
    ASSERT_TRUE(portal.waitForReadyRead(20000));
    ASSERT_EQ(portal.readLine().trimmed(), "ready");
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
    env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    const TRun run = RunProgram({"--settings", dir.filePath("none.ini"), "--generations", "0",
                                 "--set-wallpaper", "-o", dir.filePath("x.png")},
                                env);
    const QByteArray notified = [&] {
        QFile file(dir.filePath(QStringLiteral("notified")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    for (QProcess* service : {&portal, &bus}) {
        service->terminate();
        service->waitForFinished(10000);
    }
    ASSERT_EQ(run.ExitCode, 0) << run.Errors.toStdString();
    EXPECT_EQ(notified, "Ombrix|io.github.ombrix.Ombrix|Desktop background set|Ombrix set the "
                        "picture through GNOME settings (gsettings).\n");
}

// On a terminal (script gives the program one) the progress is one line redrawn with
// carriage returns, ending at the last generation; --quiet keeps the terminal empty.
TEST(Render, ProgressLineOnlyOnATerminal) {
    QTemporaryDir dir;
    const auto onTerminal = [&](const QString& options) {
        QProcess script;
        script.setProcessEnvironment(NoDisplay());
        script.start(QStringLiteral("script"),
                     {QStringLiteral("-qfec"),
                      QStringLiteral("'%1' --settings '%2' --generations 40 %3 -o '%4'")
                          .arg(QStringLiteral(OMBRIX_RENDER_PROGRAM),
                               dir.filePath(QStringLiteral("none.ini")), options,
                               dir.filePath(QStringLiteral("p.png"))),
                      QStringLiteral("/dev/null")});
        EXPECT_TRUE(script.waitForFinished(300000));
        EXPECT_EQ(script.exitCode(), 0);
        return QString::fromUtf8(script.readAllStandardOutput());
    };
    const QString shown = onTerminal(QString());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("\rgeneration 0 of 40, "))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("\rgeneration 40 of 40, "))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral(" per second, 0:00 left\033[K\r\n")))
        << shown.toStdString();
    EXPECT_EQ(onTerminal(QStringLiteral("--quiet")), QString());
}

// --size screen measures the primary screen of a real display: Xvfb's 1280 x 1024.
TEST(Render, ScreenSizeFromTheDisplay) {
    QTemporaryDir dir;
    QProcess xvfb;
    const QString display = StartXvfb(xvfb, 1280, 1024);
    ASSERT_FALSE(display.isEmpty());

    QProcessEnvironment env = NoDisplay();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    const QString out = dir.filePath(QStringLiteral("screen.png"));
    QProcess render;
    render.setProcessEnvironment(env);
    render.start(QStringLiteral(OMBRIX_RENDER_PROGRAM),
                 {QStringLiteral("--settings"), dir.filePath(QStringLiteral("none.ini")),
                  QStringLiteral("--generations"), QStringLiteral("2"), QStringLiteral("--size"),
                  QStringLiteral("screen"), QStringLiteral("-o"), out});
    EXPECT_TRUE(render.waitForFinished(300000));
    xvfb.terminate();
    xvfb.waitForFinished(60000);
    EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(out).size(), QSize(1280, 1024));
}

// Hyprland cannot repeat a tile: with --size tile its wallpaper tool gets the tile
// repeated to the screen's size (Xvfb's 96 x 64 here), while the file -o names holds
// the tile. hyprctl is a stand-in that records its arguments.
TEST(Render, HyprlandGetsTheTileRepeatedToTheScreen) {
    QTemporaryDir dir;
    QProcess xvfb;
    const QString display = StartXvfb(xvfb, 96, 64);
    ASSERT_FALSE(display.isEmpty());
    const QString bin = dir.filePath(QStringLiteral("bin"));
    const QString record = dir.filePath(QStringLiteral("record"));
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(dir.filePath(QStringLiteral("run"))));
    WriteText(bin + QStringLiteral("/hyprctl"),
              "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + record.toStdString() + "'\n");
    ASSERT_EQ(::chmod(QFile::encodeName(bin + QStringLiteral("/hyprctl")).constData(), 0700), 0);

    QProcessEnvironment env = NoDisplay();
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE"), QStringLiteral("test"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("PATH"), bin + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    const QString out = dir.filePath(QStringLiteral("tile.png"));
    const TRun run =
        RunProgram({"--settings", dir.filePath("none.ini"), "--generations", "1", "--field",
                    "40x20", "--tiling", "1", "--size", "tile", "--set-wallpaper", "-o", out},
                   env);
    xvfb.terminate();
    xvfb.waitForFinished(60000);
    ASSERT_EQ(run.ExitCode, 0) << run.Errors.toStdString();

    QFile recorded(record);
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
    const QStringList words = QString::fromUtf8(recorded.readAll()).split(QLatin1Char('\n'));
    ASSERT_EQ(words.size(), 7) << words.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(words.mid(0, 2), (QStringList{"hyprpaper", "preload"}));
    const QImage tile(out);
    const QImage wall(words[2]);
    ASSERT_EQ(tile.size(), QSize(40, 40)); // the shifted tiling's two rows of 40 x 20
    ASSERT_EQ(wall.size(), QSize(96, 64));
    for (int y = 0; y < wall.height(); ++y)
        for (int x = 0; x < wall.width(); ++x)
            ASSERT_EQ(wall.pixel(x, y), tile.pixel(x % tile.width(), y % tile.height()))
                << x << "," << y;
}

// Ctrl-C while frames are being written: the run ends by the signal, every frame that
// exists is a whole picture, and neither the picture nor a temporary file is left.
TEST(Render, CtrlCLeavesOnlyWholeFiles) {
    QTemporaryDir dir;
    const QString frames = dir.filePath(QStringLiteral("frames"));
    QProcess process;
    process.setProcessEnvironment(NoDisplay());
    process.start(QStringLiteral(OMBRIX_RENDER_PROGRAM),
                  {QStringLiteral("--field"), QStringLiteral("512x256"),
                   QStringLiteral("--generations"), QStringLiteral("2000000000"),
                   QStringLiteral("--frames"), frames, QStringLiteral("-o"),
                   dir.filePath(QStringLiteral("never.png"))});
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(PollUntil([&] { return QFile::exists(frames + "/frame-000002.png"); }));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit); // ended by SIGINT
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});
    const QStringList written = QDir(frames).entryList(QDir::Files | QDir::Hidden);
    EXPECT_GE(written.size(), 3);
    for (const QString& name : written) {
        EXPECT_TRUE(name.startsWith(QStringLiteral("frame-")) && name.endsWith(".png"))
            << name.toStdString();
        EXPECT_EQ(QImage(frames + QLatin1Char('/') + name).size(), QSize(512, 256))
            << name.toStdString();
    }
}

} // namespace
