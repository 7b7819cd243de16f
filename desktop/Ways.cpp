#include "Ways.h"

#include "DesktopBackground.h"

namespace ombrix {

namespace {

QString L(const char* text) {
    return QString::fromLatin1(text);
}

std::vector<TWayRow> MakeTable() {
    const QString options = L("picture-options");
    const std::array<QString, 3> gsettingsFit{L("wallpaper"), L("zoom"), L("spanned")};
    std::vector<TWayRow> rows;
    rows.push_back({.Way = TWay::Portal, .Detect = TDetect::Always, .SetBy = TSetBy::Portal});
    rows.push_back({.Way = TWay::Gnome,
                    .Detect = TDetect::DesktopName,
                    .Desktops = {L("GNOME"), L("GNOME-Classic"), L("GNOME-Flashback"), L("Unity"),
                                 L("Budgie"), L("Pantheon"), L("ubuntu")},
                    .SetBy = TSetBy::Gsettings,
                    .Target = L("org.gnome.desktop.background"),
                    .PictureKey = L("picture-uri"),
                    .PictureUri = true,
                    .FitKey = options,
                    // Since GNOME 42 the dark style shows a picture of its own.
                    .DarkKey = L("picture-uri-dark"),
                    .Fit = gsettingsFit,
                    .Place = TBackgroundPlace::Gnome,
                    .ReadKeys = {L("picture-uri"), L("picture-uri-dark"), options},
                    .PlaceName = L("gnome")});
    rows.push_back({.Way = TWay::Xfce,
                    .Detect = TDetect::DesktopName,
                    .Desktops = {L("XFCE")},
                    .SetBy = TSetBy::Xfconf,
                    .Target = L("xfce4-desktop"),
                    // image-style: tiled, zoomed, spanning screens
                    .Fit = {L("2"), L("5"), L("6")},
                    .Place = TBackgroundPlace::Xfce,
                    .PlaceName = L("xfce")});
    rows.push_back({.Way = TWay::Mate,
                    .Detect = TDetect::DesktopName,
                    .Desktops = {L("MATE")},
                    .SetBy = TSetBy::Gsettings,
                    .Target = L("org.mate.background"),
                    .PictureKey = L("picture-filename"),
                    .FitKey = options,
                    .Fit = gsettingsFit,
                    .Place = TBackgroundPlace::Mate,
                    .ReadKeys = {L("picture-filename"), options},
                    .PlaceName = L("mate")});
    rows.push_back({.Way = TWay::Cinnamon,
                    .Detect = TDetect::DesktopName,
                    .Desktops = {L("X-Cinnamon"), L("Cinnamon")},
                    .SetBy = TSetBy::Gsettings,
                    .Target = L("org.cinnamon.desktop.background"),
                    .PictureKey = L("picture-uri"),
                    .PictureUri = true,
                    .FitKey = options,
                    .Fit = gsettingsFit,
                    .Place = TBackgroundPlace::Cinnamon,
                    .ReadKeys = {L("picture-uri"), options},
                    .PlaceName = L("cinnamon")});
    rows.push_back({.Way = TWay::Lxqt,
                    .Detect = TDetect::DesktopName,
                    .Desktops = {L("LXQt")},
                    .SetBy = TSetBy::Tool,
                    .Target = L("pcmanfm-qt"),
                    .Arguments = {L("--set-wallpaper=%p"), L("--wallpaper-mode=%f")},
                    .Fit = {L("tile"), L("zoom"), L("stretch")}});
    rows.push_back({.Way = TWay::Lxde,
                    .Detect = TDetect::DesktopName,
                    .Desktops = {L("LXDE")},
                    .SetBy = TSetBy::Tool,
                    .Target = L("pcmanfm"),
                    .Arguments = {L("--set-wallpaper=%p"), L("--wallpaper-mode=%f")},
                    .Fit = {L("tile"), L("crop"), L("screen")}});
    rows.push_back({.Way = TWay::Hyprland,
                    .Detect = TDetect::HyprlandInstance,
                    .SetBy = TSetBy::Hyprctl,
                    .Target = L("hyprctl"),
                    .Tiles = false});
    rows.push_back({.Way = TWay::Plasma,
                    .Detect = TDetect::DesktopName,
                    .Desktops = {L("KDE")},
                    .SetBy = TSetBy::Tool,
                    .Target = L("plasma-apply-wallpaperimage"),
                    .Arguments = {L("%p")}});
    rows.push_back({.Way = TWay::Sway,
                    .Detect = TDetect::SwaySocket,
                    .SetBy = TSetBy::SwayIpc,
                    .Fit = {L("tile"), L("fill"), L("fill")}});
    rows.push_back({.Way = TWay::X11Root,
                    .Detect = TDetect::Always,
                    .SetBy = TSetBy::X11Root,
                    .Place = TBackgroundPlace::X11Root,
                    .PlaceName = L("x11-root")});
    rows.push_back({.Way = TWay::OwnSettings, .Detect = TDetect::Never, .SetBy = TSetBy::None});
    return rows;
}

bool Detected(const TWayRow& row, const TDesktopSession& session) {
    switch (row.Detect) {
    case TDetect::Always:
        return true;
    case TDetect::DesktopName:
        for (const QString& desktop : session.DesktopNames)
            if (row.Desktops.contains(desktop, Qt::CaseInsensitive))
                return true;
        return false;
    case TDetect::HyprlandInstance:
        return !session.HyprlandInstance.isEmpty();
    case TDetect::SwaySocket:
        return !session.SwaySocket.isEmpty();
    case TDetect::Never:
        return false;
    }
    return false;
}

} // namespace

const std::vector<TWayRow>& WayTable() {
    static const std::vector<TWayRow> table = MakeTable();
    return table;
}

const TWayRow& RowOf(TWay way) {
    for (const TWayRow& row : WayTable())
        if (row.Way == way)
            return row;
    return WayTable().back();
}

QString FitWord(const TWayRow& row, TWallpaperKind kind) {
    return row.Fit[kind == TWallpaperKind::Tile ? 0 : kind == TWallpaperKind::Screen ? 1 : 2];
}

std::vector<TWay> WaysFor(const TDesktopSession& session) {
    std::vector<TWay> ways;
    for (const TWayRow& row : WayTable())
        if (Detected(row, session))
            ways.push_back(row.Way);
    return ways;
}

bool CanTile(const TDesktopSession& session) {
    for (const TWay way : WaysFor(session))
        if (!RowOf(way).Tiles)
            return false;
    return true;
}

TBackgroundPlace ReadablePlace(const TDesktopSession& session) {
    const std::vector<TWay> ways = WaysFor(session);
    for (const TWay way : ways)
        if (RowOf(way).Place != TBackgroundPlace::None && RowOf(way).Detect != TDetect::Always)
            return RowOf(way).Place;
    // Elsewhere the root window shows only where no desktop program draws over it.
    if (ways == std::vector{TWay::Portal, TWay::X11Root} && !session.Display.isEmpty() &&
        !session.Wayland)
        return TBackgroundPlace::X11Root;
    return TBackgroundPlace::None;
}

const TWayRow* PlaceRow(TBackgroundPlace place) {
    if (place == TBackgroundPlace::None)
        return nullptr;
    for (const TWayRow& row : WayTable())
        if (row.Place == place)
            return &row;
    return nullptr;
}

std::optional<TWay> PlaceWay(TBackgroundPlace place) {
    const TWayRow* row = PlaceRow(place);
    return row ? std::optional(row->Way) : std::nullopt;
}

} // namespace ombrix
