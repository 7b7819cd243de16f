// The live wallpaper on an X11 display, through xcb. Three places to draw into:
// - a given window (a screensaver's, --window-id / XSCREENSAVER_WINDOW), filled and
//   followed in its size;
// - the root window of every screen (--root), whose background keeps the last frame when
//   the program ends;
// - otherwise one desktop window per monitor: window type _NET_WM_WINDOW_TYPE_DESKTOP,
//   covering the monitor, below all other windows, on every workspace, outside task bars
//   and pagers, never focused. Monitors that come and go are followed, those a user
//   defined (RandR 1.5) too.
// Each place gets the pattern as its window background pixmap, which the X server repeats
// from the window's corner; only the pattern goes to the server per generation, once per
// screen, no more of it than the largest place shows, and only its rows that changed. Screens of a
// depth that cannot be drawn into are left alone.
#pragma once

#include "LiveOutputs.h"
#include "X11Upload.h"

#include <xcb/xcb.h>

#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ombrix {

enum class TX11Place { Window, Root, Desktop };

class TX11Outputs : public TLiveOutputs {
public:
    /// Connects to `display` (empty: DISPLAY) and makes or finds the places. `window` is
    /// the given window for TX11Place::Window. Throws std::runtime_error with an English
    /// message when the display cannot be opened, the window does not exist or was
    /// closed, or no screen (the window's) has a depth that can be drawn into.
    TX11Outputs(TX11Place place, const std::string& display, std::uint32_t window = 0);
    ~TX11Outputs() override;

    void Show(const TLivePattern& pattern) override;
    std::string Name() const override;
    TPlaceSize LargestPlace() const override;
    TPatternMemory PatternMemory(int width, int height) override;
    void Pace(int interval) override;

private:
    struct TPlace {
        xcb_window_t Window = 0;
        int Screen = 0;
        int Width = 0;
        int Height = 0;
        bool Mapped = true;
        bool Obscured = false;
        bool Own = false; ///< made by the program, destroyed at the end
        bool MapSeen = false;
    };
    struct TScreen {
        const xcb_screen_t* Setup = nullptr;
        bool Drawn = false; ///< of a depth the program draws into
        std::uint8_t Depth = 24;
        int Width = 0; ///< as now, after RandR changes
        int Height = 0;
        xcb_pixmap_t Pixmap = 0;
        xcb_gcontext_t Gc = 0;
        int PixmapWidth = 0;
        int PixmapHeight = 0;
        std::vector<xcb_rectangle_t> Areas; ///< the desktop windows' places
        std::uint32_t MonitorsAsked = 0;    ///< the sequence of a GetMonitors in flight
        bool Covered = false;               ///< the root window under other windows
    };

    void OpenWindow();
    void SelectRandr();
    std::vector<xcb_rectangle_t> ReadAreas(std::size_t screen);
    void MakeDesktopWindows();
    void DestroyDesktopWindows();
    void MapAgain();
    void AskMonitors();
    /// Reads and handles what the server sent, then looks at what it changed.
    void Events();
    /// Only reads and handles what the server sent.
    void ReadEvents();
    /// What the events changed: visibility, and a larger place.
    void EventsDone();
    void Handle(const xcb_generic_event_t& event);
    void HandleError(const xcb_generic_error_t& error);
    void Repaint();
    void CheckCovers();
    void CheckVisibility();
    void Lose(const std::string& message);
    void Fail(const std::string& message);

    xcb_connection_t* Connection_ = nullptr;
    std::string DisplayName_;
    TX11Place Place_;
    std::uint32_t GivenWindow_ = 0;
    std::vector<TScreen> Screens_;
    std::vector<TPlace> Places_;
    std::unique_ptr<TX11Upload> Upload_;
    std::uint8_t RandrEvent_ = 0;
    bool HasRandr_ = false;
    bool HasMonitors_ = false;
    bool Visible_ = true;
    bool Lost_ = false;
    bool Grew_ = false; ///< LargestPlace() grew: PlacesGrew is called after the events
    std::unique_ptr<QSocketNotifier> Notifier_;
    /// Patterns come often: the events are read with each, and the notifier is off.
    bool ReadWithPatterns_ = false;
    bool ReadForThisPattern_ = false; ///< PatternMemory read them for the coming Show
    QTimer MonitorPoll_;              ///< RandR sends no event when a user defines a monitor
    QTimer CoverCheck_;               ///< the root's covering windows, looked at once they settle
    QTimer MapCheck_;                 ///< desktop windows the window manager has not mapped yet
    int MapTries_ = 0;
};

/// The window number of --window-id or XSCREENSAVER_WINDOW: hex "0x…" or decimal. Throws
/// std::runtime_error naming `source` when the text is neither or is 0.
std::uint32_t ParseWindowId(const std::string& text, const std::string& source);

/// The places for desktop windows among a screen's monitors: each once, none over
/// another. A monitor that the smaller monitors inside it cover whole (a user's split
/// of an output) gives way to them; of monitors that overlap otherwise (mirrored
/// outputs) the larger stays, which shows what the smaller would from the same corner.
std::vector<xcb_rectangle_t> DesktopAreas(std::vector<xcb_rectangle_t> monitors);

/// True when the rectangles `windows` together cover `area` whole.
bool CoveredBy(const xcb_rectangle_t& area, const std::vector<xcb_rectangle_t>& windows);

} // namespace ombrix
