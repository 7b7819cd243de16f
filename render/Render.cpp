#include "Render.h"

#include "Animation.h"
#include "BmpFile.h"
#include "ColorTable.h"
#include "Error.h"
#include "ErrorWords.h"
#include "Export.h"
#include "PngFile.h"
#include "SafeFile.h"
#include "Start.h"
#include "Wall.h"
#include "Wallpaper.h"

#include "DesktopBackground.h"
#include "Publish.h"
#include "WallpaperStore.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

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

// The largest zoomed tile picture: as many pixels as the largest field's shifted
// composite (16384 x 32768), no side above 32768.
constexpr std::int64_t MaxZoomedSide = 2 * MaxRenderSide;
constexpr std::int64_t MaxZoomedPixels = std::int64_t{MaxRenderSide} * MaxZoomedSide;

void CheckZoomedSize(const TRenderOptions& o, const TStartedField& field) {
    if (o.Kind != TOutputKind::Tile || o.Zoom == 1)
        return;
    const std::int64_t width = std::int64_t{field.Field.Width()} * o.Zoom;
    const std::int64_t height =
        std::int64_t{field.Field.Height()} * o.Zoom * (field.Model->TilingType != 0 ? 2 : 1);
    if (width > MaxZoomedSide || height > MaxZoomedSide || width * height > MaxZoomedPixels)
        FailOption("--zoom", "the picture would be " + std::to_string(width) + "x" +
                                 std::to_string(height) + " pixels, more than " +
                                 std::to_string(MaxRenderSide) + "x" +
                                 std::to_string(MaxZoomedSide) + " or a side above " +
                                 std::to_string(MaxZoomedSide));
}

[[noreturn]] void CannotWrite(const std::string& path, int error) {
    throw TError(TFailure::CreateFile, path, {error, std::system_category()});
}

// Whether a file can be made at `path`, before any work: its folder exists and may be
// written, and the name is no folder. The write itself may still fail (a full disk).
void CheckWritable(const std::string& path) {
    const std::filesystem::path name(path);
    const std::string folder =
        name.has_parent_path() ? name.parent_path().string() : std::string(".");
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0)
        CannotWrite(path, errno);
    if (!S_ISDIR(status.st_mode))
        CannotWrite(path, ENOTDIR);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        CannotWrite(path, errno);
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        CannotWrite(path, EISDIR);
}

void CheckOutputs(const TRenderOptions& o) {
    if (o.Output != StandardOutput)
        CheckWritable(o.Output);
    if (o.FramesDir) {
        std::error_code error;
        std::filesystem::create_directories(*o.FramesDir, error);
        if (error)
            throw TError(TFailure::MakeFolder, *o.FramesDir, error);
        CheckWritable(FramePath(*o.FramesDir, 0));
    }
}

void WriteStandardOutput(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw std::runtime_error(std::string("cannot write the picture to standard output: ") +
                                     std::strerror(written < 0 ? errno : EIO));
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

// A picture file, written whole through the safe replacement; a failure names the file
// (a frame's too) and the system's reason (a full disk, a size limit).
void WriteFile(const std::string& path, const char* data, std::size_t size) {
    ReplaceFile(path, {std::string_view(data, size)});
}

void Save(TPictureFormat format, const std::string& path, const TPixelImage& picture) {
    const auto write = [&](const char* data, std::size_t size) {
        if (path == StandardOutput)
            WriteStandardOutput(data, size);
        else
            WriteFile(path, data, size);
    };
    if (format == TPictureFormat::Png) {
        const QByteArray png = EncodePng(picture);
        write(png.constData(), static_cast<std::size_t>(png.size()));
    } else {
        const std::vector<std::uint8_t> bmp = EncodeBmp(picture);
        write(reinterpret_cast<const char*>(bmp.data()), bmp.size());
    }
}

// The animation of a run's frames: its writer is made at the first frame, once the
// frames' size is known and found to fit.
class TAnimation {
public:
    TAnimation(const TRenderOptions& o, const TStartedField& field)
        : Options_(o), Field_(field),
          Frames_(IsAnimation(o.Format) ? std::int64_t{o.Generations} / o.Every + 1 : 0) {}

    std::int64_t Frames() const { return Frames_; }

    void Add(const TPixelImage& frame) {
        if (Frames_ == 0)
            return;
        const auto format = Options_.Format == TPictureFormat::Webp ? TAnimationFormat::Webp
                                                                    : TAnimationFormat::Gif;
        if (!Writer_) {
            const std::int32_t delay =
                Options_.Delay.value_or(std::max(Field_.Speed, MinFrameDelay));
            CheckAnimationFits(format, frame.Width(), frame.Height(), Frames_, delay,
                               AvailableMemory());
            Writer_ =
                NewAnimationWriter(format, Options_.Output,
                                   {frame.Width(), frame.Height(), delay, Options_.Loop,
                                    DistinctColors(Field_.Model->ColorTable, ColorTableSize)});
        }
        Writer_->Add(frame);
    }

    void Finish() {
        if (Writer_)
            Writer_->FinishInto([this](std::string_view bytes) {
                WriteFile(Options_.Output, bytes.data(), bytes.size());
            });
    }

private:
    const TRenderOptions& Options_;
    const TStartedField& Field_;
    std::int64_t Frames_;
    std::unique_ptr<TAnimationWriter> Writer_;
};

// Runs what `start` starts on a publisher to its end: throws as SetAsDesktopBackground
// says, and after a success waits a little for the notification.
void RunPublisher(const TRenderHooks& hooks, const QProcessEnvironment& environment,
                  const std::function<void(TWallpaperPublisher&)>& start) {
    TWallpaperPublisher publisher;
    // The still picture takes the live wallpaper's place, now and at the next logins.
    publisher.EndLiveFirst(TLivePlace::Of(environment));
    std::optional<TBackgroundResult> result;
    QString path;
    QString unsaved;
    QEventLoop loop;
    QObject::connect(&publisher, &TWallpaperPublisher::Finished, &loop,
                     [&](const TBackgroundResult& r, const QString& p, const QString& u) {
                         result = r;
                         path = p;
                         unsaved = u;
                         loop.quit();
                     });
    // A stop signal is noticed within a tenth of a second and cancels the run.
    QTimer watch;
    bool interrupted = false;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (hooks.Interrupted && hooks.Interrupted()) {
            interrupted = true;
            publisher.Cancel();
            loop.quit();
        }
    });
    watch.start(100);
    start(publisher);
    while (!result)
        loop.exec();
    if (interrupted)
        throw TInterrupted();
    for (const QString& line : unsaved.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        std::fprintf(stderr, "ombrix-render: %s\n", Printable(line.toStdString()).c_str());
    // The message keeps its lines; what a name or a tool put in it is escaped.
    const auto printable = [](const QString& text) {
        return QString::fromStdString(Printable(text.toStdString()));
    };
    if (result->Outcome == TBackgroundOutcome::Failed) {
        TBackgroundResult shown = *result;
        for (TWayTried& tried : shown.Tried)
            tried.Reason = printable(tried.Reason);
        throw TBackgroundFailure(BackgroundFailureMessage(shown, printable(path)).toStdString());
    }
    if (result->Outcome == TBackgroundOutcome::Cancelled)
        throw TBackgroundFailure("cancelled; the desktop background was left as it was (" +
                                 Printable(WayName(result->Way).toStdString()) + ")");
    // The notification leaves only while the program runs: its answer is waited for, a
    // little, and a stop signal ends the wait.
    if (QObject* notification = publisher.Notification()) {
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(notification, &QObject::destroyed, &loop, &QEventLoop::quit);
        limit.start(2000);
        loop.exec();
    }
}

} // namespace

std::string FramePath(const std::string& folder, std::int64_t index) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(index));
    return (std::filesystem::path(folder) / name).string();
}

TPixelImage RunRender(const TRenderOptions& o, const std::string& settingsPath,
                      const TRenderHooks& hooks) {
    CheckOutputs(o);
    TStartedField field = StartAsTheWindow(o, settingsPath);
    CheckZoomedSize(o, field);

    // An animation's progress counts its frames, a picture's the generations.
    TAnimation animation(o, field);
    const auto progress = [&](std::int64_t done, std::int64_t total) {
        if (hooks.Progress)
            hooks.Progress(done, total);
    };
    std::int64_t frame = 0;
    const auto writeFrame = [&](TGeneration generation) {
        if ((!o.FramesDir && animation.Frames() == 0) || generation % o.Every != 0)
            return;
        Check(hooks);
        const TPixelImage picture = Picture(o, field);
        animation.Add(picture);
        if (o.FramesDir)
            Save(TPictureFormat::Png, FramePath(*o.FramesDir, frame), picture);
        ++frame;
        if (animation.Frames() > 0)
            progress(frame, animation.Frames());
    };

    if (animation.Frames() == 0)
        progress(0, o.Generations);
    else
        progress(0, animation.Frames());
    writeFrame(0);
    for (TGeneration g = 1; g <= o.Generations; ++g) {
        Check(hooks);
        field.Step();
        if (animation.Frames() == 0)
            progress(g, o.Generations);
        writeFrame(g);
    }
    Check(hooks);
    TPixelImage picture = Picture(o, field);
    if (IsAnimation(o.Format))
        animation.Finish();
    else
        Save(o.Format, o.Output, picture);
    if (hooks.Written)
        hooks.Written();
    return picture;
}

bool NeedsScreenForWallpaper(TOutputKind kind, const QProcessEnvironment& environment) {
    return kind == TOutputKind::Tile && !CanTile(TDesktopSession::FromEnvironment(environment));
}

void SetAsDesktopBackground(const TPixelImage& picture, TOutputKind kind,
                            const QProcessEnvironment& environment, const TRenderHooks& hooks,
                            QSize screen) {
    // The picture is a seamless rectangle (the shifted tiling's two rows composed); the
    // publisher repeats it to the screen where the desktop cannot.
    RunPublisher(hooks, environment, [&](TWallpaperPublisher& publisher) {
        publisher.Publish(DataFolder(), picture,
                          kind == TOutputKind::Tile ? TWallpaperKind::Tile : TWallpaperKind::Screen,
                          screen, TDesktopSession::FromEnvironment(environment));
    });
}

void RestoreDesktopBackground(const QProcessEnvironment& environment, const TRenderHooks& hooks) {
    RunPublisher(hooks, environment, [&](TWallpaperPublisher& publisher) {
        publisher.Restore(DataFolder(), TDesktopSession::FromEnvironment(environment));
    });
}

} // namespace ombrix
