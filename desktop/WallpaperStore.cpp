#include "WallpaperStore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace ombrix {

namespace {

const QString Prefix = QStringLiteral("ombrix-");
const QString Suffix = QStringLiteral(".png");

bool IsWallpaperName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^ombrix-\\d{8}-\\d{6}-\\d{3}\\.png$"));
    return pattern.match(name).hasMatch();
}

} // namespace

QString MakeWallpaperFolder(const QString& dataFolder) {
    const QString folder = QDir(dataFolder).filePath(QStringLiteral("wallpapers"));
    if (dataFolder.isEmpty() || !QDir().mkpath(folder) || !QFileInfo(folder).isDir() ||
        !QFileInfo(folder).isWritable())
        throw std::runtime_error(
            QStringLiteral("The folder %1 for the wallpaper pictures cannot be made or written to")
                .arg(QDir::toNativeSeparators(folder))
                .toStdString());
    return folder;
}

QString NewWallpaperPath(const QString& folder, const QDateTime& now) {
    QDateTime time = now.toTimeZone(QTimeZone::utc());
    for (;;) {
        const QString path = QDir(folder).filePath(
            Prefix + time.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + Suffix);
        if (!QFileInfo::exists(path))
            return path;
        time = time.addMSecs(1);
    }
}

void KeepNewestWallpapers(const QString& folder, const QString& justWritten, int keep) {
    const QString kept = QFileInfo(justWritten).fileName();
    std::vector<QFileInfo> pictures;
    // Links are not listed at all: the clean-up removes only what it wrote itself.
    for (const QFileInfo& file :
         QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        if (IsWallpaperName(file.fileName()) && file.fileName() != kept && !file.isSymLink())
            pictures.push_back(file);
    std::sort(pictures.begin(), pictures.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime at = a.lastModified(), bt = b.lastModified();
        return at != bt ? at > bt : a.fileName() > b.fileName();
    });
    const size_t others = size_t(std::max(0, kept.isEmpty() ? keep : keep - 1));
    for (size_t i = others; i < pictures.size(); ++i)
        QFile::remove(pictures[i].filePath());
}

} // namespace ombrix
