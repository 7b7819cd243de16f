#include "WallpaperStore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>

#include <stdexcept>

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

void KeepNewestWallpapers(const QString& folder, int keep) {
    QStringList names;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (IsWallpaperName(name))
            names.append(name);
    for (qsizetype i = 0; i + keep < names.size(); ++i)
        QFile::remove(QDir(folder).filePath(names[i]));
}

} // namespace ombrix
