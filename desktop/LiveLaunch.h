// Starting the live wallpaper from the window: the settings it runs with, the program
// started detached so it outlives the window, and its XDG autostart entry for the next
// logins. Paths follow the XDG base directory rule (a relative XDG_CONFIG_HOME is ignored).
#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace ombrix {

/// $XDG_CONFIG_HOME/ombrix/live.ini (or ~/.config/ombrix/live.ini).
QString LiveSettingsPath(const QProcessEnvironment& environment);

/// $XDG_CONFIG_HOME/autostart/io.github.ombrix.Ombrix.Live.desktop (or below ~/.config).
QString LiveAutostartPath(const QProcessEnvironment& environment);

/// The live program beside the running one when it is there, else "ombrix-live" from PATH.
QString LiveProgram();

/// The desktop entry that starts `program` --settings `settings` at login; arguments are
/// quoted as desktop entries quote them, so any path survives.
QString LiveAutostartEntry(const QString& program, const QString& settings);

/// Writes the autostart entry (making its folder) through the safe replacement, or removes
/// it. Throws TError naming the file (TFailure::WriteSettings or TFailure::RemoveFile)
/// when that fails.
void SetLiveAutostart(bool on, const QString& path, const QString& program,
                      const QString& settings);

/// Starts `program` --settings `settings` detached, as its own process. Throws TError
/// (TFailure::StartProgram) naming the program when it cannot be started.
void StartLive(const QString& program, const QString& settings);

/// The window's Live choice: starts the live wallpaper first, then writes (`atLogin`) or
/// removes its autostart entry at `autostart`, so an entry that cannot be saved costs only
/// the next logins. Returns what could not be saved, in the user's words (empty when all
/// was); throws as StartLive, with the entry left as it was, when the program cannot start.
QString LaunchLive(bool atLogin, const QString& autostart, const QString& program,
                   const QString& settings);

} // namespace ombrix
