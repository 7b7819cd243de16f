#include "WallpaperStore.h"

#include "Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include <unistd.h>

namespace ombrix {

namespace {

const QString Prefix = QStringLiteral("ombrix-");
const QString Suffix = QStringLiteral(".png");

bool IsWallpaperName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^ombrix-\\d{8}-\\d{6}-\\d{3}\\.png$"));
    return pattern.match(name).hasMatch();
}

} // namespace

QString DataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString MakeWallpaperFolder(const QString& dataFolder) {
    const QString folder = QDir(dataFolder).filePath(QStringLiteral("wallpapers"));
    const std::string name = QFile::encodeName(folder).toStdString();
    const auto fail = [&name](std::error_code error) {
        throw TError(TFailure::MakeFolder, name, error);
    };
    if (dataFolder.isEmpty())
        fail(std::make_error_code(std::errc::no_such_file_or_directory));
    std::error_code error;
    std::filesystem::create_directories(name, error);
    if (error)
        fail(error);
    if (!std::filesystem::is_directory(name, error))
        fail(std::make_error_code(std::errc::not_a_directory));
    if (::access(name.c_str(), W_OK | X_OK) != 0)
        fail({errno, std::system_category()});
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
