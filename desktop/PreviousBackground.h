// The background a desktop showed before Ombrix put its own picture there, and the way
// back to it. Where the desktop lets its background be read, TBackgroundSetter reads it
// before setting a picture (GNOME's, MATE's and Cinnamon's gsettings keys, Xfce's xfconf
// keys, a bare X11 root window's picture, copied to a file since its pixmap goes when
// replaced) and keeps it in a small file of the program's own, the "remembered file",
// beside the wallpaper pictures. After a success it notes there what the desktop shows
// now, Ombrix's own background; a background that is Ombrix's own is never remembered as
// the one before, so setting pictures again and again keeps the user's real one.
//
// This file holds what does not wait: the remembered file, and the tools' arguments that
// put a remembered background back. Which place a session's background is read from, and
// with which keys, is in the ways table (Ways.h).
#pragma once

#include "DesktopBackground.h"
#include "Ways.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace ombrix {

/// A desktop's background as its settings hold it: each key with its value in the
/// desktop's own text (a GVariant text as `gsettings get` prints it; an xfconf value),
/// no value for a key that does not exist. The X11 root has the keys "pixmap" (its id,
/// decimal) and "picture" (the file the picture was copied to).
struct TBackgroundValues {
    TBackgroundPlace Place = TBackgroundPlace::None;
    std::vector<std::pair<QString, std::optional<QString>>> Values;
    std::optional<QString> Value(const QString& key) const;
    friend bool operator==(const TBackgroundValues&, const TBackgroundValues&) = default;
};

/// What the remembered file holds: the background before Ombrix's (empty Values when
/// none could be read yet) and the one Ombrix set last.
struct TRememberedBackground {
    TBackgroundValues Previous;
    TBackgroundValues Ours;
};

/// The remembered file of the wallpaper folder `folder`.
QString RememberedFile(const QString& folder);
/// The copy of a bare X11 root's picture in the wallpaper folder `folder`.
QString RootPictureCopy(const QString& folder);

/// The remembered file's contents; nothing when there is no file. Throws
/// std::runtime_error naming the file when it cannot be read or is not one this program
/// wrote (edited by hand).
std::optional<TRememberedBackground> ReadRemembered(const QString& file);
/// Writes the remembered file whole through the safe replacement. Throws
/// std::runtime_error naming the file when it cannot.
void WriteRemembered(const QString& file, const TRememberedBackground& remembered);

/// The gsettings schema and keys of a place (GNOME, MATE, Cinnamon; the picture's key
/// first), or an empty schema for the others.
struct TSchemaKeys {
    QString Schema;
    QStringList Keys;
};
TSchemaKeys SchemaKeysOf(TBackgroundPlace place);

/// The text a GVariant string literal holds ('...' or "..." with backslash escapes);
/// nothing when `literal` is no string literal.
std::optional<QString> GVariantStringValue(const QString& literal);

/// True when `current` is a background Ombrix set: the same picture as `ours`, or, for
/// the settings' places, a picture in the wallpaper folder `folder`.
bool IsOurs(const TBackgroundValues& current, const TBackgroundValues& ours, const QString& folder);

/// The tool that puts a background of `place` back (gsettings, xfconf-query), and its
/// runs for `previous`, in order: a key without value is reset (gsettings) or removed
/// (xfconf). Empty for the X11 root, which the setter puts back itself.
QString RestoreTool(TBackgroundPlace place);
std::vector<QStringList> RestoreRuns(const TBackgroundValues& previous);

/// What the wallpaper dialog offers for "Previous wallpaper".
enum class TPreviousState {
    Remembered, ///< a background of this desktop is remembered
    NothingYet, ///< this desktop can be read, but no background of it is remembered yet
    Unreadable  ///< this desktop's background cannot be read, so none is remembered
};
/// The state for `session` with the pictures' data folder `dataFolder` (the wallpaper
/// folder's parent). A remembered file that cannot be read counts as NothingYet.
TPreviousState PreviousState(const QString& dataFolder, const TDesktopSession& session);

} // namespace ombrix
