// The ways a desktop's background is set, as one table: each desktop family is one row,
// named by a TWay, saying how the family is detected, how a picture is set, whether it
// repeats a tile, and where its current background is read and put back. The setter
// (DesktopBackground.h) walks the rows a session has; the words shown for a way come
// from WayWords.h. Adding a desktop that is set like another (gsettings, a tool taking
// the path) means adding one row here.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace ombrix {

struct TDesktopSession;
enum class TWallpaperKind;

/// A way of setting the background, in the order they are tried; OwnSettings names the
/// putting back of a background where the desktop's own way is not known.
enum class TWay {
    Portal,
    Gnome,
    Xfce,
    Mate,
    Cinnamon,
    Lxqt,
    Lxde,
    Hyprland,
    Plasma,
    Sway,
    X11Root,
    OwnSettings
};

/// Where a session's background can be read back and put back.
enum class TBackgroundPlace { None, Gnome, Mate, Cinnamon, Xfce, X11Root };

/// How a row's session is recognised.
enum class TDetect {
    Always,           ///< every session (the portal, the X11 root window)
    DesktopName,      ///< XDG_CURRENT_DESKTOP names one of Desktops (any case)
    HyprlandInstance, ///< HYPRLAND_INSTANCE_SIGNATURE is set
    SwaySocket,       ///< SWAYSOCK is set
    Never             ///< not tried to set a picture (OwnSettings)
};

/// How a row sets a picture.
enum class TSetBy {
    Portal,    ///< the desktop portal's SetWallpaperFile, the file passed as a descriptor
    Gsettings, ///< gsettings set Target PictureKey / FitKey (and DarkKey where it exists)
    Xfconf,    ///< xfconf-query on Target, every monitor's and workspace's image
    Tool,      ///< Target with Arguments, "%p" the path, "%f" the fit's word
    Hyprctl,   ///< hyprctl hyprpaper preload / wallpaper, with a plain path
    SwayIpc,   ///< "output * bg" on sway's socket, with a plain path
    X11Root,   ///< the root window's background through xcb, on the X11 worker
    None
};

struct TWayRow {
    TWay Way{};
    TDetect Detect{};
    QStringList Desktops{};
    TSetBy SetBy{};
    /// The gsettings schema, the xfconf channel or the tool.
    QString Target{};
    /// The arguments of TSetBy::Tool.
    QStringList Arguments{};
    /// The key the picture goes to (gsettings), as a file URI (PictureUri) or a path.
    QString PictureKey{};
    bool PictureUri = false;
    /// The key the fit goes to (gsettings), and the dark style's picture key.
    QString FitKey{};
    QString DarkKey{};
    /// The fit's words for Tile, Screen and AllScreens, in the desktop's own terms.
    std::array<QString, 3> Fit{};
    /// False where the desktop cannot repeat a tile itself: callers give it a picture of
    /// the screen's size instead.
    bool Tiles = true;
    /// Where its background is read and put back (None: it cannot be).
    TBackgroundPlace Place = TBackgroundPlace::None;
    /// The settings keys read and put back (gsettings; the picture's key first).
    QStringList ReadKeys{};
    /// Its name in the remembered file.
    QString PlaceName{};
};

/// Every row, in the order they are tried.
const std::vector<TWayRow>& WayTable();
const TWayRow& RowOf(TWay way);

/// The fit's word of `row` for `kind`.
QString FitWord(const TWayRow& row, TWallpaperKind kind);

/// The ways tried in `session`, in order: the portal always, then each desktop's own
/// way where the session is that desktop (XDG_CURRENT_DESKTOP, any case; Hyprland and
/// sway by their sockets), the X11 root window last.
std::vector<TWay> WaysFor(const TDesktopSession& session);

/// False where one of the session's ways cannot repeat a tile (Hyprland).
bool CanTile(const TDesktopSession& session);

/// The place of `session`: that of the first of its ways that has one, or the X11 root
/// window where that is the only way besides the portal on an X11 display; None
/// elsewhere (Plasma, LXQt, LXDE, Hyprland, sway, Wayland without those desktops).
TBackgroundPlace ReadablePlace(const TDesktopSession& session);

/// The way that sets the background at `place`; nothing for None.
std::optional<TWay> PlaceWay(TBackgroundPlace place);
/// The row of `place` (None: none).
const TWayRow* PlaceRow(TBackgroundPlace place);

} // namespace ombrix
