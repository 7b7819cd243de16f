// Putting a picture on the desktop as its background. One entry point,
// SetDesktopBackground, tries the ways a desktop offers in a fixed order and says what
// happened: set, cancelled by the user, or failed with every way tried and why.
//
// Everything it needs from the session (bus address, desktop names, sway socket,
// display, the tools' environment) comes in a TDesktopSession, so callers and tests
// choose it; FromEnvironment reads the process's own. It waits for answers in a nested
// event loop, so the caller's timers keep running; it needs a QCoreApplication.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <vector>

namespace ombrix {

/// What the picture is: the size of one screen, spanning all screens, or one tile
/// that the desktop repeats itself.
enum class TWallpaperKind { Screen, AllScreens, Tile };

/// The session the background is set in.
struct TDesktopSession {
    /// The session bus (DBUS_SESSION_BUS_ADDRESS); empty when there is none.
    QString BusAddress;
    /// The desktop's names (XDG_CURRENT_DESKTOP, split at ':'), e.g. "GNOME", "KDE".
    QStringList DesktopNames;
    /// True in a Wayland session (WAYLAND_DISPLAY set, or XDG_SESSION_TYPE "wayland").
    bool Wayland = false;
    /// sway's socket (SWAYSOCK); empty outside sway.
    QString SwaySocket;
    /// The X display (DISPLAY); empty without one.
    QString Display;
    /// The environment the tools run in; its PATH is where they are looked for.
    QProcessEnvironment Tools;
    /// How long to wait for the portal's answer, and for each tool, in milliseconds.
    int PortalTimeout = 60000;
    int ToolTimeout = 30000;

    /// The session described by `environment`.
    static TDesktopSession FromEnvironment(const QProcessEnvironment& environment);
};

enum class TBackgroundOutcome { Done, Cancelled, Failed };

/// One way tried, and why it did not set the background.
struct TWayTried {
    QString Way;
    QString Reason;
    friend bool operator==(const TWayTried&, const TWayTried&) = default;
};

struct TBackgroundResult {
    TBackgroundOutcome Outcome = TBackgroundOutcome::Failed;
    /// The way that set the background, or that the user cancelled in.
    QString Way;
    /// The ways before it (all of them on failure), in the order tried.
    std::vector<TWayTried> Tried;
};

/// The names of the ways, in the order they are tried.
inline const QString PortalWay = QStringLiteral("desktop portal");
inline const QString GnomeWay = QStringLiteral("GNOME settings (gsettings)");
inline const QString PlasmaWay = QStringLiteral("KDE Plasma (plasma-apply-wallpaperimage)");
inline const QString SwayWay = QStringLiteral("sway (swaymsg)");
inline const QString FehWay = QStringLiteral("X11 root window (feh)");

/// Sets the picture file `path` (absolute) as the desktop background by the first way
/// that works: the desktop portal; gsettings on GNOME-family desktops; Plasma's own
/// tool; swaymsg under sway; feh on other X11 sessions. A user's cancel in the portal
/// stops there. Never throws for a missing bus, service or tool: those are reasons in
/// the result.
TBackgroundResult SetDesktopBackground(const QString& path, TWallpaperKind kind,
                                       const TDesktopSession& session);

/// The message for a background that could not be set: where the picture was saved and
/// each way tried with its reason. Has no full stop at the end.
QString BackgroundFailureMessage(const TBackgroundResult& result, const QString& path);

} // namespace ombrix
