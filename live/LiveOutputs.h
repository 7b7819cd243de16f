// The places the live wallpaper draws into, seen from the program's core. Every place
// (the outputs of a Wayland compositor, the desktop windows or root windows of an X11
// display, a screensaver's window) shows one pattern repeated from its own top-left
// corner, one pattern pixel per physical pixel. The core makes the pattern once per
// generation; an adapter hands it to the display, which repeats it, so the program never
// touches a whole screen's worth of pixels.
//
// Adapters run on the program's one thread: they watch their display connection with the
// event loop and call back from there, never from inside Show().
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ombrix {

/// One repeat of the wall in physical pixels: Width × Height pixels 0xFFRRGGBB (opaque
/// ARGB32), row by row from the top with Stride pixels from one row to the next.
struct TLivePattern {
    int Width = 0;
    int Height = 0;
    int Stride = 0;
    const std::uint32_t* Pixels = nullptr;
};

/// Memory an adapter offers for the next pattern (see TLiveOutputs::PatternMemory).
struct TPatternMemory {
    std::uint32_t* Pixels = nullptr; ///< null: none
    int Stride = 0;                  ///< pixels from one row to the next
    /// The adapter reads the pattern back from there (to repeat it), so it had better be
    /// left in the cache. Else only the display reads it.
    bool ReadAgain = false;
};

/// A size in physical pixels; 0 on a side: not known, no limit.
struct TPlaceSize {
    int Width = 0;
    int Height = 0;
};

/// While patterns come closer together than this, an adapter reads its display's events
/// with each one.
inline constexpr int ReadWithPatternsMs = 100;

class TLiveOutputs {
public:
    virtual ~TLiveOutputs() = default;

    /// The largest place's size. Every place shows the pattern from its own top-left
    /// corner, so of a larger pattern only the top-left part of this size can show, and
    /// the core makes no more of it.
    virtual TPlaceSize LargestPlace() const { return {}; }

    /// Shows `pattern` on every place, replacing what was shown. The pixels stay as they
    /// are until the next call (or until the core is given other outputs), so an adapter
    /// may draw from them later without a copy. The size may change from one call to the
    /// next.
    virtual void Show(const TLivePattern& pattern) = 0;

    /// Memory the next pattern of `width` × `height` pixels may be made in, when the
    /// adapter can show it from there without copying it: the core makes the pattern there
    /// and then either calls Show with it at once or leaves it (a generation equal to one
    /// before is not shown), so the memory must not be what the display shows now. None
    /// (the default): the core makes it in memory of its own.
    virtual TPatternMemory PatternMemory(int width, int height) {
        static_cast<void>(width);
        static_cast<void>(height);
        return {};
    }

    /// The core makes a pattern every `interval` ms from now on, or none (0) until it says
    /// otherwise. While patterns come often, an adapter may read the display's events
    /// with each one instead of being woken for them.
    virtual void Pace(int interval) { static_cast<void>(interval); }

    /// Which way this is, for the one line the program prints ("wayland layer shell",
    /// "x11 desktop windows", ...).
    virtual std::string Name() const = 0;

    /// Called with false when nothing drawn can be seen any more (every output hidden or
    /// covered, windows obscured or unmapped, no frame asked for), with true when some of
    /// it can be seen again. The core neither steps nor draws while it is false.
    std::function<void(bool visible)> VisibilityChanged;

    /// Called when LargestPlace() grew (a larger monitor came): the core shows the
    /// current generation again.
    std::function<void()> PlacesGrew;

    /// Called once when the display or compositor has gone away or refused the program,
    /// with a message in English that names what happened. The adapter does nothing more.
    std::function<void(const std::string& message)> Lost;
};

} // namespace ombrix
