#include "Render.h"

#include "BmpFile.h"
#include "ColorTable.h"
#include "Export.h"
#include "PngFile.h"
#include "SettingsPath.h"
#include "Start.h"
#include "Wall.h"
#include "Wallpaper.h"

#include "DesktopBackground.h"
#include "Publish.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

namespace ombrix {

namespace {

void Check(const TRenderHooks& hooks) {
    if (hooks.Interrupted && hooks.Interrupted())
        throw TInterrupted();
}

// The picture of the field as it is now: the export composite of the tile, or a wall
// of the pattern, each cell as Zoom × Zoom pixels.
TPixelImage Picture(const TRenderOptions& o, TStartedField& field) {
    const TPixelImage tile = field.Tile();
    const std::int32_t tilingType = field.Model->TilingType;
    if (o.Kind != TOutputKind::Wall)
        return Zoomed(ComposeExport(tile, tilingType), o.Zoom);
    if (o.Zoom == 1)
        return WallpaperPicture(tile, tilingType, o.WallSize.Width, o.WallSize.Height);
    return ZoomedWall(WallPattern(tile, tilingType), o.Zoom, o.WallSize.Width, o.WallSize.Height);
}

// The largest side of a zoomed tile picture: the largest field's shifted composite.
constexpr std::int64_t MaxZoomedSide = 2 * MaxRenderSide;

void CheckZoomedSize(const TRenderOptions& o, const TStartedField& field) {
    if (o.Kind != TOutputKind::Tile || o.Zoom == 1)
        return;
    const std::int64_t width = std::int64_t{field.Field.Width()} * o.Zoom;
    const std::int64_t height =
        std::int64_t{field.Field.Height()} * o.Zoom * (field.Model->TilingType != 0 ? 2 : 1);
    if (width > MaxZoomedSide || height > MaxZoomedSide)
        FailOption("--zoom", "the picture would be " + std::to_string(width) + "x" +
                                 std::to_string(height) + " pixels, more than " +
                                 std::to_string(MaxZoomedSide) + " a side");
}

void Save(TPictureFormat format, const std::string& path, const TPixelImage& picture) {
    if (format == TPictureFormat::Png)
        SavePng(path, picture);
    else
        SaveBmp(path, picture);
}

} // namespace

std::string WindowSettingsPath() {
    const std::filesystem::path self(ExecutablePath());
    return ChooseSettingsPath((self.parent_path() / "ombrix").string());
}

std::string FramePath(const std::string& folder, std::int32_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", static_cast<int>(index));
    return (std::filesystem::path(folder) / name).string();
}

TPixelImage RunRender(const TRenderOptions& o, const std::string& settingsPath,
                      const TRenderHooks& hooks) {
    TStartedField field = StartAsTheWindow(o, settingsPath);
    CheckZoomedSize(o, field);

    if (o.FramesDir) {
        // A folder that cannot be made shows as the first frame's write failure.
        std::error_code ignored;
        std::filesystem::create_directories(*o.FramesDir, ignored);
    }
    std::int32_t frame = 0;
    const auto writeFrame = [&](std::int32_t generation) {
        if (!o.FramesDir || generation % o.Every != 0)
            return;
        Check(hooks);
        SavePng(FramePath(*o.FramesDir, frame++), Picture(o, field));
    };

    if (hooks.Progress)
        hooks.Progress(0, o.Generations);
    writeFrame(0);
    for (std::int32_t g = 1; g <= o.Generations; ++g) {
        Check(hooks);
        field.Step();
        if (hooks.Progress)
            hooks.Progress(g, o.Generations);
        writeFrame(g);
    }
    Check(hooks);
    TPixelImage picture = Picture(o, field);
    Save(o.Format, o.Output, picture);
    return picture;
}

void SetAsDesktopBackground(const TPixelImage& picture, TOutputKind kind,
                            const QProcessEnvironment& environment, const TRenderHooks& hooks) {
    TWallpaperPublisher publisher;
    std::optional<TBackgroundResult> result;
    QString path;
    QEventLoop loop;
    QObject::connect(&publisher, &TWallpaperPublisher::Finished, &loop,
                     [&](const TBackgroundResult& r, const QString& p) {
                         result = r;
                         path = p;
                         loop.quit();
                     });
    // A stop signal is noticed within a tenth of a second and cancels the run.
    QTimer watch;
    bool interrupted = false;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (hooks.Interrupted && hooks.Interrupted()) {
            interrupted = true;
            publisher.Cancel();
        }
    });
    watch.start(100);
    publisher.Start(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
        [&picture](const QString& p) { SavePng(QFile::encodeName(p).toStdString(), picture); },
        kind == TOutputKind::Tile ? TWallpaperKind::Tile : TWallpaperKind::Screen,
        TDesktopSession::FromEnvironment(environment));
    while (!result)
        loop.exec();
    if (interrupted)
        throw TInterrupted();
    if (result->Outcome == TBackgroundOutcome::Failed)
        throw std::runtime_error(BackgroundFailureMessage(*result, path).toStdString());
    if (result->Outcome == TBackgroundOutcome::Cancelled)
        throw std::runtime_error("cancelled; the desktop background was left as it was (" +
                                 result->Way.toStdString() + ")");
}

} // namespace ombrix
