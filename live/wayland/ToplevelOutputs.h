// The live wallpaper for GNOME Shell, which has no layer shell: one ordinary xdg-shell
// window that the program's GNOME Shell extension starts, hides from every list, and shows
// behind each monitor as the background, each monitor's wall from its own top-left corner.
// The window holds the wall as large as the largest output (one pattern buffer shown on a
// grid of subsurfaces, as on the layer shell, see PatternLayout.h), at the highest output
// scale, so one cell falls on one physical pixel; outputs that come or go resize it.
//
// The window is minimized and seen only through the shell's clones, so its frame callbacks
// say nothing of what can be seen: the extension, which knows, pauses the program over the
// bus (fullscreen windows on every monitor, the screen locked and blank).
#pragma once

#include "LiveOutputs.h"

#include <memory>
#include <string>

namespace ombrix {

/// The window's title and application id, by which the extension knows it.
inline constexpr const char* ToplevelAppId = "io.github.ombrix.Ombrix.Live";

/// Connects to the compositor named by WAYLAND_DISPLAY (or handed over in WAYLAND_SOCKET,
/// as the shell does for clients it starts) and opens the window. Returns null with
/// `reason` set (one line in English) when there is no display, it cannot be reached or
/// does not answer, or it lacks xdg-shell or another global the window needs. Needs a
/// running QCoreApplication event loop afterwards.
std::unique_ptr<TLiveOutputs> OpenToplevel(std::string& reason);

} // namespace ombrix
