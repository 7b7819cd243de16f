#include "Publish.h"

#include "PreviousBackground.h"
#include "WallpaperStore.h"

#include <QDateTime>

namespace ombrix {

TWallpaperPublisher::TWallpaperPublisher(QObject* parent) : QObject(parent) {
    connect(&Setter_, &TBackgroundSetter::Finished, this,
            [this](const TBackgroundResult& result) { emit Finished(result, Path_); });
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
    Setter_.Start(path, kind, remembering);
    return path;
}

void TWallpaperPublisher::Restore(const QString& dataFolder, const TDesktopSession& session) {
    TDesktopSession remembering = session;
    remembering.PreviousFile = RememberedFile(MakeWallpaperFolder(dataFolder));
    Path_.clear();
    Setter_.Restore(remembering);
}

} // namespace ombrix
