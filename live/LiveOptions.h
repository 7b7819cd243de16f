// The command line of ombrix-live: the options of the window's start it shares with
// ombrix-render (CommandLine.h) and its own: where it draws, how fast, on battery, and
// the calls to a live wallpaper already running. Throws TUsageError (exit status 2).
#pragma once

#include "CommandLine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ombrix {

/// A call to the running live wallpaper instead of a run of its own.
enum class TLiveCall { None, Pause, Resume, Quit };

enum class TOnBattery { Pause, Run };

/// What a field that has settled (still, or a short cycle) does.
enum class TWhenSettled { Afresh, Stop };

struct TLiveOptions : TStartOptions {
    std::optional<std::int32_t> Interval; ///< milliseconds; default the settings' Speed
    std::optional<std::string> WindowId;  ///< as given; XSCREENSAVER_WINDOW is the caller's
    bool Root = false;
    bool Plasma = false;       ///< frames for the Plasma wallpaper (PlasmaFrames.h)
    bool PlasmaFolder = false; ///< prints the frames' folder instead of a run
    bool GnomeShell = false;   ///< one window, shown as the background by the shell extension
    std::optional<std::int32_t> StillEvery; ///< minutes
    TOnBattery OnBattery = TOnBattery::Pause;
    TWhenSettled WhenSettled = TWhenSettled::Afresh;
    TLiveCall Call = TLiveCall::None;
    bool Help = false;
    bool Version = false;
};

/// The largest --still-every, in minutes (a day).
inline constexpr std::int32_t MaxStillEvery = 1440;

TLiveOptions ParseLiveOptions(const std::vector<std::string>& args);

/// The text that --help prints.
std::string LiveUsage();

} // namespace ombrix
