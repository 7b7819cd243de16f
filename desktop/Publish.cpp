#include "Publish.h"

#include "PngFile.h"
#include "PreviousBackground.h"
#include "Wallpaper.h"
#include "WallpaperStore.h"

#include <QFile>

#include <QDateTime>

namespace ombrix {

TWallpaperPublisher::TWallpaperPublisher(QObject* parent) : QObject(parent) {
    connect(&Setter_, &TBackgroundSetter::Finished, this,
            [this](const TBackgroundResult& result) { emit Finished(result, Path_, Unsaved_); });
}

void TWallpaperPublisher::AfterLive(std::function<void()> set) {
    Setter_.Forget();
    Ender_.Cancel();
    Unsaved_.clear();
    if (!Live_)
        return set();
    // The live one goes first: once it has quit, nothing of it covers the picture.
    Ender_.disconnect(this);
    connect(&Ender_, &TLiveEnder::Ended, this, [this, set](const QString& unsaved) {
        Unsaved_ = unsaved;
        set();
    });
    Ender_.Start(*Live_);
}

void TWallpaperPublisher::Cancel() {
    if (!Ender_.Running())
        return Setter_.Cancel();
    Ender_.Cancel();
    TBackgroundResult result;
    result.Outcome = TBackgroundOutcome::Cancelled;
    emit Finished(result, Path_, Unsaved_);
}

QString TWallpaperPublisher::Start(const QString& dataFolder, const TWriter& write,
                                   TWallpaperKind kind, const TDesktopSession& session) {
    const QString folder = MakeWallpaperFolder(dataFolder);
    const QString path = NewWallpaperPath(folder, QDateTime::currentDateTimeUtc());
    write(path);
    KeepNewestWallpapers(folder, path);
    Path_ = path;
    TDesktopSession remembering = session;
    remembering.PreviousFile = RememberedFile(folder);
    AfterLive([this, path, kind, remembering] { Setter_.Start(path, kind, remembering); });
    return path;
}

QString TWallpaperPublisher::Publish(const QString& dataFolder, const TPixelImage& picture,
                                     TWallpaperKind kind, QSize screen,
                                     const TDesktopSession& session) {
    TPixelImage wall;
    if (kind == TWallpaperKind::Tile && !CanTile(session)) {
        if (screen.isEmpty())
            throw std::runtime_error("this desktop cannot repeat a tile, and the screen's size to "
                                     "repeat it to is unknown");
        // Repeated on a plain grid, the seamless rectangle is the wall.
        wall = WallpaperPicture(picture, 0, screen.width(), screen.height());
        kind = TWallpaperKind::Screen;
    }
    const TPixelImage& shown = wall.Empty() ? picture : wall;
    return Start(
        dataFolder,
        [&shown](const QString& path) { SavePng(QFile::encodeName(path).toStdString(), shown); },
        kind, session);
}

void TWallpaperPublisher::Restore(const QString& dataFolder, const TDesktopSession& session) {
    TDesktopSession remembering = session;
    remembering.PreviousFile = RememberedFile(MakeWallpaperFolder(dataFolder));
    Path_.clear();
    AfterLive([this, remembering] { Setter_.Restore(remembering); });
}

} // namespace ombrix
