// The live wallpaper on an X11 display, through xcb. Three places to draw into:
// - a given window (a screensaver's, --window-id / XSCREENSAVER_WINDOW), filled and
//   followed in its size;
// - the root window of every screen (--root), whose background keeps the last frame when
//   the program ends;
// - otherwise one desktop window per monitor: window type _NET_WM_WINDOW_TYPE_DESKTOP,
//   covering the monitor, below all other windows, on every workspace, outside task bars
//   and pagers, never focused. Monitors that come and go are followed.
// Each place gets the pattern as its window background pixmap, which the X server repeats
// from the window's corner; only the pattern goes over the connection per generation.
#pragma once

#include "LiveOutputs.h"

#include <xcb/xcb.h>

#include <QSocketNotifier>

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
    /// message when the display cannot be opened, the window does not exist, or its depth
    /// cannot be drawn into.
    TX11Outputs(TX11Place place, const std::string& display, std::uint32_t window = 0);
    ~TX11Outputs() override;

    void Show(const TLivePattern& pattern) override;
    std::string Name() const override;

private:
    struct TPlace {
        xcb_window_t Window = 0;
        int Screen = 0;
        bool Mapped = true;
        bool Obscured = false;
        bool Own = false; ///< made by the program, destroyed at the end
    };
    struct TScreenPixmap {
        xcb_pixmap_t Pixmap = 0;
        xcb_gcontext_t Gc = 0;
        int Width = 0;
        int Height = 0;
    };

    void MakeDesktopWindows();
    void DestroyDesktopWindows();
    void Events();
    void Handle(const xcb_generic_event_t& event);
    void Repaint();
    void CheckVisibility();
    void Lose(const std::string& message);
    xcb_atom_t Atom(const char* name);

    xcb_connection_t* Connection_ = nullptr;
    std::string DisplayName_;
    TX11Place Place_;
    std::uint32_t GivenWindow_ = 0;
    std::uint8_t Depth_ = 24;
    std::vector<xcb_screen_t*> Screens_;
    std::vector<TPlace> Places_;
    std::vector<TScreenPixmap> Pixmaps_;
    std::vector<std::uint32_t> Last_;
    int LastWidth_ = 0;
    int LastHeight_ = 0;
    std::uint8_t RandrEvent_ = 0;
    bool HasRandr_ = false;
    bool Visible_ = true;
    bool Lost_ = false;
    std::unique_ptr<QSocketNotifier> Notifier_;
};

/// The window number of --window-id or XSCREENSAVER_WINDOW: hex "0x…" or decimal. Throws
/// std::runtime_error naming `source` when the text is neither or is 0.
std::uint32_t ParseWindowId(const std::string& text, const std::string& source);

} // namespace ombrix
