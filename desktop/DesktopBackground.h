// Putting a picture on the desktop as its background. TBackgroundSetter tries the ways a
// desktop offers in a fixed order, without ever waiting: bus calls and tool runs report
// back through signals, one deadline bounds the whole run, and Cancel() stops it at any
// point. It says what happened in one TBackgroundResult: set, cancelled, or failed with
// every way tried and why. The ways are the rows of the table in Ways.h, named by TWay;
// their words are chosen in WayWords.h, at the edge.
//
// Everything it needs from the session (bus address, desktop names, sway socket,
// display, the tools' environment) comes in a TDesktopSession, so callers and tests
// choose it; FromEnvironment reads the process's own. It needs a running event loop.
//
// No path ever reaches a command language: tools get it as an argument of its own, the
// portal as a file descriptor, and sway and Hyprland (whose commands are text) a path
// made only of letters, digits and "/._+-", linked to the picture when its own path
// holds anything else.
#pragma once

#include "ToolRun.h"
#include "WayWords.h"
#include "Ways.h"

#include <QObject>
#include <QPointer>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ombrix {

struct TBackgroundValues;

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
    /// Hyprland's instance (HYPRLAND_INSTANCE_SIGNATURE); empty outside Hyprland.
    QString HyprlandInstance;
    /// The X display (DISPLAY); empty without one.
    QString Display;
    /// The user's private runtime folder (XDG_RUNTIME_DIR), where plain-named links to
    /// the picture are made for sway and Hyprland; empty when unset or relative.
    QString RuntimeFolder;
    /// The names of the connected monitors as the desktop names them (e.g. "eDP-1"), for
    /// desktops that keep a background per monitor; callers that know the screens fill it.
    QStringList Monitors;
    /// The environment the tools run in; its PATH is where they are looked for.
    QProcessEnvironment Tools;
    /// The file the background before Ombrix's is remembered in (see
    /// PreviousBackground.h), beside the wallpaper pictures; empty: none is remembered.
    QString PreviousFile;
    /// How long to wait for the portal's answer and for each tool, in milliseconds,
    /// and for the whole run.
    int PortalTimeout = 60000;
    int ToolTimeout = 30000;
    int Deadline = 120000;

    /// The session described by `environment`.
    static TDesktopSession FromEnvironment(const QProcessEnvironment& environment);
};

enum class TBackgroundOutcome { Done, Cancelled, Failed };

/// One way tried, and why it did not set the background.
struct TWayTried {
    TWay Way;
    QString Reason;
    friend bool operator==(const TWayTried&, const TWayTried&) = default;
};

struct TBackgroundResult {
    TBackgroundOutcome Outcome = TBackgroundOutcome::Failed;
    /// The way that set the background, or that was running when the run was cancelled;
    /// the portal on failure, where it means nothing.
    TWay Way = TWay::Portal;
    /// The ways before it (all of them on failure), in the order tried.
    std::vector<TWayTried> Tried;
};

/// Sets a picture as the desktop background by the first way that works: the desktop
/// portal (a user's cancel there stops the run), then the desktop's own ways in the
/// order of WaysFor. A success is told in a desktop notification where the session bus
/// has a notification service (sent by the setter, so it goes only while it lives). A
/// missing bus, service or tool is a reason in the result, never an
/// exception. Destroying the setter cancels a run; no tool it started outlives it.
///
/// With a session's PreviousFile, the desktop's background is read before the ways are
/// tried and remembered there unless it is Ombrix's own, and read again after a success
/// to know Ombrix's own next time; Restore puts the remembered one back. Reading counts
/// against the run's deadline; a background that cannot be read is not remembered, and
/// the picture is set all the same.
class TBackgroundSetter : public QObject {
    Q_OBJECT
public:
    explicit TBackgroundSetter(QObject* parent = nullptr);
    ~TBackgroundSetter() override;

    /// Starts setting the picture file `path` (absolute). Finished follows once, never
    /// before Start returns. A run still going is cancelled first (silently).
    void Start(const QString& path, TWallpaperKind kind, const TDesktopSession& session);
    /// Starts putting back the background remembered in session.PreviousFile for the
    /// session's desktop, by that desktop's way alone. Finished follows as for Start; it
    /// says Failed when the desktop cannot be read or nothing of it is remembered.
    void Restore(const TDesktopSession& session);
    /// Stops the run: tools are killed, bus calls forgotten, and Finished says Cancelled.
    /// Does nothing when no run is going.
    void Cancel();
    /// Stops the run as Cancel does, silently: Finished does not follow.
    void Forget() { Stop(); }
    bool Running() const { return Running_; }
    /// The notification of the last success while it is being sent, else null. It goes
    /// by itself once answered, within 5 s; a program about to end waits for that.
    QObject* Notification() const { return Notification_; }

signals:
    void Finished(const ombrix::TBackgroundResult& result);

private:
    using TThen = std::function<void(const QString& reason)>; // empty reason: done
    /// The background read, or null when it could not be.
    using TRead = std::function<void(const TBackgroundValues* values)>;

    // The run's states (DesktopBackground.cpp).
    void Begin(const TDesktopSession& session, std::vector<TWay> ways, std::function<void()> first);
    void NextWay();
    void WayEnded(const QString& reason);
    void Finish(TBackgroundOutcome outcome);
    void Stop();
    /// Ends the way's waits: its timer, its helper, its tool.
    void EndWaits();

    // Setting a picture the way a row says (SetWays.cpp).
    void SetBy(const TWayRow& row);
    void ThroughPortal();
    void ThroughGsettings(const TWayRow& row);
    void ThroughXfce(const TWayRow& row);
    void ThroughTool(const TWayRow& row);
    void ThroughHyprland(const TWayRow& row);
    void ThroughSway(const TWayRow& row);
    void ThroughX11Root();
    /// Runs `work` on the X11 worker (see X11Worker.h; the X server may not answer);
    /// `then` hears its reason (empty: done), or that it did not end within the tool
    /// timeout, after which the work changes nothing.
    void OnThread(std::function<QString(const std::function<QString()>& proceed)> work, TThen then);
    void RunEach(const QString& tool, std::vector<QStringList> runs, TThen then);

    // Reading the background before and after, and putting it back (ReadBack.cpp).
    /// A way set the background: what the desktop shows now is noted as Ombrix's own.
    void Succeeded();
    void Remember();
    void PutBack();
    /// Reads the session's background; `ours`, when given, is Ombrix's own, whose
    /// picture is not copied (X11), else no picture is.
    void ReadCurrent(const TBackgroundValues* ours, TRead then);
    /// Runs `tool` once per key's arguments, its output the key's value (none on a
    /// non-zero exit); `then` gets null when the tool could not run or the first key has
    /// no value.
    void ReadKeys(const QString& tool, std::vector<std::pair<QString, QStringList>> keys,
                  std::shared_ptr<TBackgroundValues> values, TRead then);

    QString Path_;
    TWallpaperKind Kind_ = TWallpaperKind::Screen;
    TDesktopSession Session_;
    std::vector<TWay> Ways_;
    std::size_t Next_ = 0;
    TBackgroundResult Result_;
    bool Running_ = false;
    bool Restoring_ = false;
    bool Succeeded_ = false; // set, and reading back what shows
    /// Counts runs and ways, so an answer that arrives after its way ended is ignored.
    unsigned Step_ = 0;
    QTimer Deadline_;
    QTimer WayTimer_;
    TToolRunner Tools_;
    std::unique_ptr<QObject> Helper_; // the portal request or the sway message in flight
    QPointer<QObject> Notification_;
    std::shared_ptr<std::atomic<bool>> X11Cancel_; // the X11 work in flight
};

} // namespace ombrix

Q_DECLARE_METATYPE(ombrix::TBackgroundResult)
