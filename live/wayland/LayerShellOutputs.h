// The live wallpaper on a Wayland compositor with the wlr layer shell (sway, Hyprland,
// KDE Plasma, COSMIC, labwc, wayfire): one surface per output on the background layer,
// anchored to all edges, over the whole output (exclusive zone -1), never taking the
// keyboard, at the output's buffer scale. Outputs that appear get a surface, outputs that
// go lose theirs.
//
// Each generation sends only the pattern: one shared-memory buffer per output holding it
// (repeated a few times, see PatternLayout.h), attached to a grid of subsurfaces that
// covers the output, so the compositor repeats it. Buffers the compositor still holds are
// never written: each output keeps a few and writes one it has released.
//
// Visibility follows frame callbacks: every commit asks for one, and when no output has
// answered for HiddenAfterMs, nothing can be seen (covered by a fullscreen window,
// powered off, on a hidden workspace of a compositor that stops drawing it).
#pragma once

#include "LiveOutputs.h"

#include <memory>
#include <string>

namespace ombrix {

/// How long a frame callback may stay unanswered before its output counts as hidden.
inline constexpr int HiddenAfterMs = 1000;

/// Connects to the compositor named by WAYLAND_DISPLAY and puts a surface on every output.
/// Returns null with `reason` set (one line in English) when there is no Wayland display,
/// it cannot be reached or does not answer, or it lacks the layer shell or another global
/// the wallpaper needs. Needs a running QCoreApplication event loop afterwards: the
/// connection is watched with a socket notifier.
std::unique_ptr<TLiveOutputs> OpenLayerShell(std::string& reason);

} // namespace ombrix
