// The folder the wallpaper pictures are kept in. Each picture gets a new name, since
// desktops keep what they showed by file name; only the newest few are kept.
#pragma once

#include <QDateTime>
#include <QString>

namespace ombrix {

/// The program's data folder, the parent of the wallpaper folder and of the gallery's
/// favourites: the application's writable data location (e.g. ~/.local/share/Ombrix).
/// Needs the application's name set.
QString DataFolder();

/// How many wallpaper pictures the folder keeps.
inline constexpr int KeptWallpapers = 5;

/// The folder `dataFolder`/wallpapers, made when missing. Throws TError
/// (TFailure::MakeFolder) naming it when it cannot be made or is no writable folder.
QString MakeWallpaperFolder(const QString& dataFolder);

/// A path in `folder` not yet taken: "ombrix-YYYYMMDD-HHMMSS-mmm.png" of the UTC time
/// `now`, a millisecond later while that name is taken. Names sort in time order.
QString NewWallpaperPath(const QString& folder, const QDateTime& now);

/// Removes the wallpaper pictures of `folder` but the `keep` newest by modification time,
/// counting `justWritten` (which always stays) among them. Only regular files named as
/// NewWallpaperPath names them count; links and other files stay, whatever their names.
/// A file that cannot be removed stays too.
void KeepNewestWallpapers(const QString& folder, const QString& justWritten,
                          int keep = KeptWallpapers);

} // namespace ombrix
