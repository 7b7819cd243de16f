#include "Publish.h"

#include "PreviousBackground.h"
#include "WallpaperStore.h"

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

void TWallpaperPublisher::Restore(const QString& dataFolder, const TDesktopSession& session) {
    TDesktopSession remembering = session;
    remembering.PreviousFile = RememberedFile(MakeWallpaperFolder(dataFolder));
    Path_.clear();
    AfterLive([this, remembering] { Setter_.Restore(remembering); });
}

} // namespace ombrix
