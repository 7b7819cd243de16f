// One run of ombrix-render: the window's start (settings, random colours, seeded field)
// with the command line's changes, the generations, the frames and the picture. Every
// file is written whole through the safe replacement, so an interrupted run leaves the
// pictures it finished and no part of another.
#pragma once

#include "PixelImage.h"
#include "RenderOptions.h"

#include <QProcessEnvironment>
#include <QSize>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace ombrix {

/// The run was asked to stop (Ctrl-C) and stopped between two generations or files.
class TInterrupted : public std::runtime_error {
public:
    TInterrupted() : std::runtime_error("interrupted") {}
};

/// Setting the desktop background failed or was cancelled. what() is the message in
/// lines (the ways tried, one a line), with the control characters of the names and
/// reasons in it already escaped (see Printable), so it is shown as it is.
class TBackgroundFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TRenderHooks {
    /// Called after the start and after every generation with the generations done; for
    /// an animation after the start and after every frame with the frames done.
    std::function<void(std::int64_t done, std::int64_t total)> Progress;
    /// Asked before every generation and every file; true stops the run (TInterrupted).
    std::function<bool()> Interrupted;
    /// Called once the picture's file (or standard output) holds the whole picture.
    std::function<void()> Written;
};

/// The name of frame `index` (0, 1, 2, ...) in `folder`: folder/frame-000000.png.
std::string FramePath(const std::string& folder, std::int64_t index);

/// Runs the whole render. `settingsPath` is the file to start from (missing: the
/// window's defaults). options.Kind must not be Screen: the caller turns that into Wall
/// with the screen's size. Throws TUsageError for a setting out of range after the
/// settings file is read (--segments above its number of states), std::runtime_error
/// with the program's message for a file that cannot be written, TInterrupted.
/// Returns the picture written.
TPixelImage RunRender(const TRenderOptions& options, const std::string& settingsPath,
                      const TRenderHooks& hooks = {});

/// Sets `picture` as the desktop background as the window's wallpaper button does: a
/// PNG copy under a new name in the program's wallpaper folder (desktops know what they
/// show by its file name), then the desktop's ways in their order; `kind` Tile lets the
/// desktop repeat the picture, Wall has it shown as it is. `environment` is the session's
/// own, as the program was started. A desktop that cannot repeat a tile (see CanTile)
/// gets a Tile picture repeated to `screen`, the screen's size in pixels, which the caller
/// measured for it (see NeedsScreenForWallpaper). Needs a QCoreApplication named
/// "Ombrix". Throws TBackgroundFailure when no way worked or the user cancelled (see Publish.h), TInterrupted when `hooks.Interrupted` turned true
/// meanwhile (checked ten times a second; the run is cancelled and nothing it started is
/// left running). After a success it waits up to 2 s for the desktop notification to be
/// taken, which would otherwise go with the program.
void SetAsDesktopBackground(const TPixelImage& picture, TOutputKind kind,
                            const QProcessEnvironment& environment, const TRenderHooks& hooks = {},
                            QSize screen = {});

/// Puts back the desktop background that was there before Ombrix's, as the wallpaper
/// dialog's "Previous wallpaper" does; throws and waits as SetAsDesktopBackground.
void RestoreDesktopBackground(const QProcessEnvironment& environment,
                              const TRenderHooks& hooks = {});

/// True when a Tile picture set as the background in the session of `environment` must
/// be repeated to the screen's size first: the desktop there cannot repeat it (Hyprland).
bool NeedsScreenForWallpaper(TOutputKind kind, const QProcessEnvironment& environment);

} // namespace ombrix
