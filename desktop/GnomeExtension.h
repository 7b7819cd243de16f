// The live wallpaper on GNOME Shell under Wayland: the shell has no layer shell, so the
// Live choice enables the program's shell extension (installed with it), which starts
// ombrix-live itself and shows its window as every monitor's background. The shell is
// asked over the session bus, never waited for: the answer comes from the event loop,
// at the latest when the deadline has passed.
#pragma once

#include <QObject>
#include <QProcessEnvironment>
#include <QString>

#include <functional>

namespace ombrix {

/// The extension for Shell 43 and 44 (the older module format) and for 45 and later
/// (ES modules): a shell loads one format, so each has its own folder.
inline constexpr char GnomeExtensionUuid[] = "ombrix-live@ombrix.github.io";
inline constexpr char GnomeExtensionEsmUuid[] = "ombrix-live-esm@ombrix.github.io";

/// True in a GNOME session on Wayland (XDG_CURRENT_DESKTOP names GNOME, WAYLAND_DISPLAY
/// is set), where the extension shows the live wallpaper.
bool GnomeShellOnWayland(const QProcessEnvironment& environment);

/// The extension that suits a shell of `version` ("43.9", "46.0", "47.beta"); empty for
/// versions before 43 or a version that cannot be read.
QString GnomeExtensionFor(const QString& version);

struct TGnomeAnswer {
    bool Enabled = false;
    /// When not enabled: why, in the user's language, as a clause ("the shell ...").
    QString Why;
};

/// Asks the shell on the session bus to enable the extension that suits it (disabled
/// first, so that one enabled already starts ombrix-live afresh). `done` runs
/// once, from the event loop, unless `context` is destroyed first: with Enabled, or with
/// the reason the shell refused (user extensions switched off, a version not supported,
/// the extension not installed, no answer within `deadlineMs`).
void EnableGnomeExtension(QObject* context, std::function<void(const TGnomeAnswer&)> done,
                          int deadlineMs = 5000);

/// Asks the shell on the session bus to disable both extensions (a still picture takes the
/// live wallpaper's place: the shell would start it again at the next login). Nothing
/// waits on the answer; all is let go after `deadlineMs` or with `context`.
void DisableGnomeExtension(QObject* context, int deadlineMs = 5000);

} // namespace ombrix
