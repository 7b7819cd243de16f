#include "X11Outputs.h"

#include "X11Root.h"
#include "X11Tools.h"

#include <xcb/randr.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace ombrix {

using x11::Hex;
using x11::TReply;

namespace {

// The largest pixmap side X takes (its coordinates are 16-bit signed).
constexpr int MaxSide = 32767;
// How often the monitors are read again: RandR tells of outputs, not of the monitors a
// user defines.
constexpr int MonitorPollMs = 2000;
// How long a window manager has to map a desktop window before it is asked again, and
// how often: one that was starting may have let the first request go.
constexpr int MapCheckMs = 1000;
constexpr int MapTriesMax = 5;
// How long the root's covering windows are left to settle before they are looked at.
constexpr int CoverCheckMs = 100;

bool Same(const xcb_rectangle_t& a, const xcb_rectangle_t& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

bool Inside(const xcb_rectangle_t& inner, const xcb_rectangle_t& outer) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool Overlap(const xcb_rectangle_t& a, const xcb_rectangle_t& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

int Area(const xcb_rectangle_t& r) {
    return r.width * r.height;
}

} // namespace

std::vector<xcb_rectangle_t> DesktopAreas(std::vector<xcb_rectangle_t> monitors) {
    std::erase_if(monitors, [](const xcb_rectangle_t& r) { return r.width == 0 || r.height == 0; });
    std::vector<xcb_rectangle_t> unique;
    for (const xcb_rectangle_t& m : monitors)
        if (std::ranges::none_of(unique, [&m](const auto& u) { return Same(u, m); }))
            unique.push_back(m);
    std::vector<xcb_rectangle_t> kept;
    for (const xcb_rectangle_t& m : unique) {
        std::vector<xcb_rectangle_t> inner;
        for (const xcb_rectangle_t& other : unique)
            if (!Same(other, m) && Inside(other, m))
                inner.push_back(other);
        if (inner.empty() || !CoveredBy(m, inner))
            kept.push_back(m);
    }
    std::ranges::stable_sort(kept, std::greater<>{}, Area);
    std::vector<xcb_rectangle_t> areas;
    for (const xcb_rectangle_t& m : kept)
        if (std::ranges::none_of(areas, [&m](const auto& a) { return Overlap(a, m); }))
            areas.push_back(m);
    std::ranges::sort(areas, {}, [](const xcb_rectangle_t& r) { return std::pair(r.y, r.x); });
    return areas;
}

namespace {

// The desktop areas of a screen of `width` × `height` from RandR's monitors (with none,
// or no answer, the whole screen).
std::vector<xcb_rectangle_t> ScreenAreas(const xcb_randr_get_monitors_reply_t* reply, int width,
                                         int height) {
    std::vector<xcb_rectangle_t> monitors;
    if (reply)
        for (auto it = xcb_randr_get_monitors_monitors_iterator(reply); it.rem;
             xcb_randr_monitor_info_next(&it))
            monitors.push_back({it.data->x, it.data->y, it.data->width, it.data->height});
    std::vector<xcb_rectangle_t> areas = DesktopAreas(std::move(monitors));
    if (areas.empty())
        areas.push_back(
            {0, 0, static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)});
    return areas;
}

} // namespace

bool CoveredBy(const xcb_rectangle_t& area, const std::vector<xcb_rectangle_t>& windows) {
    // The area cut along every window edge inside it: covered when every piece is.
    std::vector<int> xs{area.x, area.x + area.width}, ys{area.y, area.y + area.height};
    std::vector<xcb_rectangle_t> over;
    for (const xcb_rectangle_t& w : windows)
        if (Overlap(w, area)) {
            over.push_back(w);
            for (const int x : {int{w.x}, w.x + w.width})
                if (x > area.x && x < area.x + area.width)
                    xs.push_back(x);
            for (const int y : {int{w.y}, w.y + w.height})
                if (y > area.y && y < area.y + area.height)
                    ys.push_back(y);
        }
    for (auto* edges : {&xs, &ys}) {
        std::ranges::sort(*edges);
        edges->erase(std::unique(edges->begin(), edges->end()), edges->end());
    }
    for (std::size_t i = 0; i + 1 < xs.size(); ++i)
        for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
            const int x = xs[i], y = ys[j];
            if (std::ranges::none_of(over, [x, y](const xcb_rectangle_t& w) {
                    return x >= w.x && x < w.x + w.width && y >= w.y && y < w.y + w.height;
                }))
                return false;
        }
    return true;
}

std::uint32_t ParseWindowId(const std::string& text, const std::string& source) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    unsigned long long value = 0;
    bool good = !digits.empty() && digits.size() <= (hex ? 8u : 10u);
    for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) {
            good = false;
            break;
        }
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    }
    if (!good || value == 0 || value > 0xFFFFFFFFull)
        throw std::runtime_error(
            source + ": expected a window number, hex 0x... or decimal, not \"" + text + "\"");
    return static_cast<std::uint32_t>(value);
}

TX11Outputs::TX11Outputs(TX11Place place, const std::string& display, std::uint32_t window)
    : Place_(place), GivenWindow_(window) {
    const char* env = std::getenv("DISPLAY");
    DisplayName_ = !display.empty() ? display : (env ? env : "");
    if (DisplayName_.empty())
        throw std::runtime_error("no X display (DISPLAY is not set)");
    Connection_ = xcb_connect(DisplayName_.c_str(), nullptr);
    if (xcb_connection_has_error(Connection_)) {
        xcb_disconnect(Connection_);
        Connection_ = nullptr;
        throw std::runtime_error("cannot open the X display " + DisplayName_);
    }
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(Connection_)); it.rem;
         xcb_screen_next(&it)) {
        TScreen& screen = Screens_.emplace_back();
        screen.Setup = it.data;
        screen.Drawn = CanPutPicture(Connection_, it.data->root_depth);
        screen.Depth = it.data->root_depth;
        screen.Width = it.data->width_in_pixels;
        screen.Height = it.data->height_in_pixels;
    }

    Upload_ = std::make_unique<TX11Upload>(Connection_);
    if (place == TX11Place::Window) {
        OpenWindow();
    } else {
        const auto drawn = std::ranges::count_if(Screens_, &TScreen::Drawn);
        if (drawn == 0)
            Fail("the X screen's depth of " + std::to_string(Screens_.front().Depth) +
                 " bits cannot be drawn into");
        for (std::size_t s = 0; s < Screens_.size(); ++s)
            if (!Screens_[s].Drawn)
                std::fprintf(stderr,
                             "ombrix-live: the X screen %zu, of %d bits, cannot be drawn into: "
                             "it is left alone\n",
                             s, Screens_[s].Depth);
        SelectRandr();
        if (place == TX11Place::Root) {
            for (std::size_t s = 0; s < Screens_.size(); ++s) {
                TScreen& screen = Screens_[s];
                if (!screen.Drawn)
                    continue;
                Places_.push_back({screen.Setup->root, static_cast<int>(s), screen.Width,
                                   screen.Height, true, false, false});
                // The root's children: while they cover it, nothing of it can be seen.
                const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
                xcb_change_window_attributes(Connection_, screen.Setup->root, XCB_CW_EVENT_MASK,
                                             &mask);
            }
            CoverCheck_.setSingleShot(true);
            CoverCheck_.setInterval(CoverCheckMs);
            QObject::connect(&CoverCheck_, &QTimer::timeout, [this] { CheckCovers(); });
            CoverCheck_.start();
        } else {
            for (std::size_t s = 0; s < Screens_.size(); ++s)
                Screens_[s].Areas = ReadAreas(s);
            MapCheck_.setSingleShot(true);
            MapCheck_.setInterval(MapCheckMs);
            QObject::connect(&MapCheck_, &QTimer::timeout, [this] { MapAgain(); });
            MakeDesktopWindows();
            if (HasMonitors_) {
                MonitorPoll_.setInterval(MonitorPollMs);
                QObject::connect(&MonitorPoll_, &QTimer::timeout, [this] { AskMonitors(); });
                MonitorPoll_.start();
            }
        }
    }
    xcb_flush(Connection_);
    Notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(Connection_),
                                                  QSocketNotifier::Read);
    QObject::connect(Notifier_.get(), &QSocketNotifier::activated, [this] { Events(); });
}

void TX11Outputs::Fail(const std::string& message) {
    xcb_disconnect(Connection_);
    Connection_ = nullptr;
    throw std::runtime_error(message);
}

void TX11Outputs::OpenWindow() {
    const std::uint32_t window = GivenWindow_;
    const TReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(Connection_, xcb_get_geometry(Connection_, window), nullptr));
    const TReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        Connection_, xcb_get_window_attributes(Connection_, window), nullptr));
    if (!geometry || !attributes)
        Fail("there is no window " + Hex(window) + " on the X display " + DisplayName_);
    if (!CanPutPicture(Connection_, geometry->depth))
        Fail("the window " + Hex(window) + " has a depth of " + std::to_string(geometry->depth) +
             " bits, which cannot be drawn into");
    std::size_t screen = 0;
    for (std::size_t i = 0; i < Screens_.size(); ++i)
        if (Screens_[i].Setup->root == geometry->root)
            screen = i;
    Screens_[screen].Drawn = true;
    Screens_[screen].Depth = geometry->depth;
    // Checked: once its events come to the program, so does its end; a window that went
    // before is closed already.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    if (x11::RequestError(Connection_, xcb_change_window_attributes_checked(
                                           Connection_, window, XCB_CW_EVENT_MASK, &mask)))
        Fail("the window " + Hex(window) + " was closed");
    Places_.push_back({window, static_cast<int>(screen), geometry->width, geometry->height,
                       attributes->map_state == XCB_MAP_STATE_VIEWABLE, false, false});
}

void TX11Outputs::SelectRandr() {
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(Connection_, &xcb_randr_id);
    HasRandr_ = randr && randr->present;
    if (!HasRandr_)
        return;
    RandrEvent_ = randr->first_event;
    const TReply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
        Connection_, xcb_randr_query_version(Connection_, 1, 5), nullptr));
    HasMonitors_ = version && (version->major_version > 1 || version->minor_version >= 5);
    for (const TScreen& screen : Screens_)
        if (screen.Drawn)
            xcb_randr_select_input(Connection_, screen.Setup->root,
                                   XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE);
}

TX11Outputs::~TX11Outputs() {
    Notifier_.reset();
    if (!Connection_)
        return;
    if (Place_ == TX11Place::Root && !Lost_ && Upload_->Shown().Width > 0) {
        try {
            SetRootBackground(DisplayName_, Upload_->Shown());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "ombrix-live: the last frame was not left as the background: %s\n",
                         error.what());
        }
    }
    if (!Lost_) {
        if (Place_ == TX11Place::Window && !Places_.empty()) {
            // The screensaver's window gets its own background back: none.
            const std::uint32_t none = XCB_NONE;
            xcb_change_window_attributes(Connection_, GivenWindow_, XCB_CW_BACK_PIXMAP, &none);
        }
        DestroyDesktopWindows();
        for (const TScreen& screen : Screens_)
            if (screen.Pixmap) {
                xcb_free_pixmap(Connection_, screen.Pixmap);
                xcb_free_gc(Connection_, screen.Gc);
            }
        xcb_flush(Connection_);
    }
    Upload_.reset();
    xcb_disconnect(Connection_);
}

std::string TX11Outputs::Name() const {
    switch (Place_) {
    case TX11Place::Window:
        return "x11 window " + Hex(GivenWindow_);
    case TX11Place::Root:
        return "x11 root window";
    case TX11Place::Desktop:
        break;
    }
    return "x11 desktop windows";
}

TPlaceSize TX11Outputs::LargestPlace() const {
    TPlaceSize largest;
    for (const TPlace& place : Places_) {
        largest.Width = std::max(largest.Width, place.Width);
        largest.Height = std::max(largest.Height, place.Height);
    }
    return {std::clamp(largest.Width, 1, MaxSide), std::clamp(largest.Height, 1, MaxSide)};
}

TPatternMemory TX11Outputs::PatternMemory(int width, int height) {
    if (ReadWithPatterns_) {
        // The server's answer to the last upload is here by now: read it, so that the
        // memory is known to be free without asking the server. First, since what it
        // says may change the places.
        ReadEvents();
        ReadForThisPattern_ = true;
    }
    // Shared with the server: the core makes the pattern where the server reads it, when
    // all of it shows (else Show takes the part that does, from memory of the core's).
    const TPlaceSize largest = LargestPlace();
    if (Lost_ || width > largest.Width || height > largest.Height)
        return {};
    return {Upload_->Memory(width, height), width};
}

void TX11Outputs::Pace(int interval) {
    const bool withPatterns = interval > 0 && interval <= ReadWithPatternsMs;
    if (withPatterns == ReadWithPatterns_ || Lost_ || !Notifier_)
        return;
    ReadWithPatterns_ = withPatterns;
    Notifier_->setEnabled(!withPatterns);
    // xcb may hold events it has read already, which wake nobody: handled from the event
    // loop, since the caller may be handling events itself.
    if (!withPatterns)
        QTimer::singleShot(0, Notifier_.get(), [this] { Events(); });
}

std::vector<xcb_rectangle_t> TX11Outputs::ReadAreas(std::size_t s) {
    const TScreen& screen = Screens_[s];
    if (!screen.Drawn)
        return {};
    if (!HasMonitors_)
        return ScreenAreas(nullptr, screen.Width, screen.Height);
    const TReply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
        Connection_, xcb_randr_get_monitors(Connection_, screen.Setup->root, 1), nullptr));
    return ScreenAreas(reply.get(), screen.Width, screen.Height);
}

void TX11Outputs::MakeDesktopWindows() {
    for (std::size_t s = 0; s < Screens_.size(); ++s) {
        const TScreen& screen = Screens_[s];
        for (const xcb_rectangle_t& area : screen.Areas) {
            const xcb_window_t window = xcb_generate_id(Connection_);
            const std::uint32_t values[] = {screen.Setup->black_pixel,
                                            XCB_EVENT_MASK_VISIBILITY_CHANGE |
                                                XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                                XCB_EVENT_MASK_BUTTON_PRESS};
            xcb_create_window(Connection_, XCB_COPY_FROM_PARENT, window, screen.Setup->root, area.x,
                              area.y, area.width, area.height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                              screen.Setup->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                              values);
            x11::MarkDesktopWindow(Connection_, window, area.width, area.height, "Ombrix Live");
            if (screen.Pixmap)
                xcb_change_window_attributes(Connection_, window, XCB_CW_BACK_PIXMAP,
                                             &screen.Pixmap);
            xcb_map_window(Connection_, window);
            const std::uint32_t below = XCB_STACK_MODE_BELOW;
            xcb_configure_window(Connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, &below);
            Places_.push_back(
                {window, static_cast<int>(s), area.width, area.height, true, false, true});
        }
    }
    MapTries_ = 0;
    MapCheck_.start();
}

void TX11Outputs::MapAgain() {
    bool waiting = false;
    for (const TPlace& place : Places_)
        if (place.Own && !place.MapSeen) {
            xcb_map_window(Connection_, place.Window);
            const std::uint32_t below = XCB_STACK_MODE_BELOW;
            xcb_configure_window(Connection_, place.Window, XCB_CONFIG_WINDOW_STACK_MODE, &below);
            waiting = true;
        }
    xcb_flush(Connection_);
    if (waiting && ++MapTries_ < MapTriesMax)
        MapCheck_.start();
}

void TX11Outputs::DestroyDesktopWindows() {
    std::erase_if(Places_, [this](const TPlace& place) {
        if (place.Own)
            xcb_destroy_window(Connection_, place.Window);
        return place.Own;
    });
}

void TX11Outputs::AskMonitors() {
    // One GetMonitors per screen in flight; its answer is read at the next poll.
    bool changed = false;
    for (std::size_t s = 0; s < Screens_.size(); ++s) {
        TScreen& screen = Screens_[s];
        if (!screen.Drawn)
            continue;
        if (screen.MonitorsAsked == 0) {
            screen.MonitorsAsked =
                xcb_randr_get_monitors(Connection_, screen.Setup->root, 1).sequence;
            continue;
        }
        void* raw = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (!xcb_poll_for_reply(Connection_, screen.MonitorsAsked, &raw, &error))
            continue;
        screen.MonitorsAsked = 0;
        const TReply<xcb_randr_get_monitors_reply_t> reply(
            static_cast<xcb_randr_get_monitors_reply_t*>(raw));
        const TReply<xcb_generic_error_t> failed(error);
        if (!reply)
            continue;
        std::vector<xcb_rectangle_t> areas = ScreenAreas(reply.get(), screen.Width, screen.Height);
        if (!std::ranges::equal(areas, screen.Areas, Same)) {
            screen.Areas = std::move(areas);
            changed = true;
        }
    }
    if (changed) {
        const TPlaceSize before = LargestPlace();
        DestroyDesktopWindows();
        MakeDesktopWindows();
        Repaint();
        const TPlaceSize after = LargestPlace();
        if ((after.Width > before.Width || after.Height > before.Height) && PlacesGrew)
            PlacesGrew();
    }
    xcb_flush(Connection_);
}

void TX11Outputs::Show(const TLivePattern& pattern) {
    if (Lost_ || pattern.Width <= 0 || pattern.Height <= 0)
        return;
    if (ReadWithPatterns_ && !ReadForThisPattern_) {
        ReadEvents();
        if (Lost_)
            return;
    }
    ReadForThisPattern_ = false;
    // No more than the largest place shows, whatever the core made.
    const TPlaceSize largest = LargestPlace();
    const int width = std::min(pattern.Width, largest.Width);
    const int height = std::min(pattern.Height, largest.Height);
    const TX11Upload::TRows changed =
        Upload_->Take({width, height, pattern.Stride, pattern.Pixels});
    std::vector<std::size_t> used;
    for (std::size_t s = 0; s < Screens_.size(); ++s)
        if (std::ranges::any_of(Places_, [s](const TPlace& p) { return p.Screen == int(s); }))
            used.push_back(s);
    bool drawn = false;
    for (const std::size_t s : used) {
        TScreen& screen = Screens_[s];
        TX11Upload::TRows rows = changed;
        if (screen.PixmapWidth != width || screen.PixmapHeight != height) {
            if (screen.Pixmap) {
                xcb_free_pixmap(Connection_, screen.Pixmap);
                xcb_free_gc(Connection_, screen.Gc);
                screen.Pixmap = 0;
            }
            const xcb_pixmap_t pixmap = xcb_generate_id(Connection_);
            if (const int error = x11::RequestError(
                    Connection_,
                    xcb_create_pixmap_checked(Connection_, screen.Depth, pixmap, screen.Setup->root,
                                              static_cast<std::uint16_t>(width),
                                              static_cast<std::uint16_t>(height)))) {
                Lose((error == x11::BadAlloc
                          ? "the X server has not enough memory"
                          : "the X server refused (error " + std::to_string(error) + ")") +
                     std::string(" for a pattern of ") + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels");
                return;
            }
            screen.Pixmap = pixmap;
            screen.Gc = xcb_generate_id(Connection_);
            const std::uint32_t noExposures = 0;
            xcb_create_gc(Connection_, screen.Gc, screen.Pixmap, XCB_GC_GRAPHICS_EXPOSURES,
                          &noExposures);
            screen.PixmapWidth = width;
            screen.PixmapHeight = height;
            rows = {0, height};
        }
        Upload_->Put(screen.Pixmap, screen.Gc, screen.Depth, rows, s == used.back());
        drawn = drawn || !rows.Empty();
    }
    if (drawn)
        Repaint();
    xcb_flush(Connection_);
    if (ReadWithPatterns_)
        EventsDone(); // the server's answers are read with the next pattern
    else
        Events();
}

void TX11Outputs::Repaint() {
    for (const TPlace& place : Places_) {
        const xcb_pixmap_t pixmap = Screens_[place.Screen].Pixmap;
        if (!pixmap)
            continue;
        // Set again each time: the server need not look at a pixmap's later changes.
        xcb_change_window_attributes(Connection_, place.Window, XCB_CW_BACK_PIXMAP, &pixmap);
        if (place.Mapped && !place.Obscured)
            xcb_clear_area(Connection_, 0, place.Window, 0, 0, 0, 0);
    }
}

void TX11Outputs::Events() {
    ReadEvents();
    EventsDone();
}

void TX11Outputs::ReadEvents() {
    if (Lost_ || !Connection_)
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(Connection_)) {
        Handle(*event);
        std::free(event);
        if (Lost_)
            return;
    }
    if (xcb_connection_has_error(Connection_))
        Lose("the X display " + DisplayName_ + " went away");
}

void TX11Outputs::EventsDone() {
    if (Lost_ || !Connection_)
        return;
    CheckVisibility();
    if (Grew_) {
        Grew_ = false;
        if (PlacesGrew)
            PlacesGrew();
    }
}

void TX11Outputs::HandleError(const xcb_generic_error_t& error) {
    if (Place_ == TX11Place::Window && error.resource_id == GivenWindow_ &&
        (error.error_code == x11::BadWindow || error.error_code == x11::BadDrawable))
        Lose("the window " + Hex(GivenWindow_) + " was closed");
    else if (error.error_code == x11::BadAlloc)
        Lose("the X server has not enough memory for the live wallpaper");
}

void TX11Outputs::Handle(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    const auto find = [this](xcb_window_t window) -> TPlace* {
        for (TPlace& place : Places_)
            if (place.Window == window)
                return &place;
        return nullptr;
    };
    const auto isRoot = [this](xcb_window_t window) {
        return std::ranges::any_of(Screens_,
                                   [window](const TScreen& s) { return s.Setup->root == window; });
    };
    if (Upload_->Handle(event)) {
        // the pattern's upload: done, or gone over to PutImage
    } else if (type == 0) {
        HandleError(reinterpret_cast<const xcb_generic_error_t&>(event));
    } else if (Place_ == TX11Place::Root && type >= XCB_CREATE_NOTIFY &&
               type <= XCB_CIRCULATE_NOTIFY && type != XCB_MAP_REQUEST &&
               type != XCB_CONFIGURE_REQUEST &&
               isRoot(reinterpret_cast<const xcb_map_notify_event_t&>(event).event)) {
        // A window on the root came, went, moved or changed its stacking: look at what
        // covers the root once such changes settle.
        if (!CoverCheck_.isActive())
            CoverCheck_.start();
    } else if (type == XCB_VISIBILITY_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_visibility_notify_event_t&>(event);
        if (TPlace* place = find(e.window))
            place->Obscured = e.state == XCB_VISIBILITY_FULLY_OBSCURED;
    } else if (type == XCB_MAP_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (TPlace* place = find(e.window)) {
            place->Mapped = true;
            place->MapSeen = true;
            place->Obscured = false;
        }
    } else if (type == XCB_UNMAP_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (TPlace* place = find(e.window))
            place->Mapped = false;
    } else if (type == XCB_CONFIGURE_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (Place_ == TX11Place::Window && e.window == GivenWindow_ && !Places_.empty()) {
            TPlace& place = Places_.front();
            const bool grew = e.width > place.Width || e.height > place.Height;
            place.Width = e.width;
            place.Height = e.height;
            Grew_ = Grew_ || grew;
        }
    } else if (type == XCB_DESTROY_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (Place_ == TX11Place::Window && e.window == GivenWindow_)
            Lose("the window " + Hex(GivenWindow_) + " was closed");
    } else if (type == XCB_BUTTON_PRESS) {
        // A click on the wallpaper must not raise it over the other windows.
        const auto& e = reinterpret_cast<const xcb_button_press_event_t&>(event);
        if (find(e.event)) {
            const std::uint32_t below = XCB_STACK_MODE_BELOW;
            xcb_configure_window(Connection_, e.event, XCB_CONFIG_WINDOW_STACK_MODE, &below);
            xcb_flush(Connection_);
        }
    } else if (HasRandr_ && type == RandrEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY) {
        // The screen's size, an output or a monitor changed: the places follow.
        const auto& e = reinterpret_cast<const xcb_randr_screen_change_notify_event_t&>(event);
        const TPlaceSize before = LargestPlace();
        for (std::size_t s = 0; s < Screens_.size(); ++s) {
            TScreen& screen = Screens_[s];
            if (screen.Setup->root != e.root)
                continue;
            const bool turned =
                e.rotation & (XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270);
            screen.Width = turned ? e.height : e.width;
            screen.Height = turned ? e.width : e.height;
            for (TPlace& place : Places_)
                if (place.Screen == int(s) && place.Window == screen.Setup->root) {
                    place.Width = screen.Width;
                    place.Height = screen.Height;
                }
            if (Place_ == TX11Place::Desktop)
                screen.Areas = ReadAreas(s);
        }
        if (Place_ == TX11Place::Desktop) {
            DestroyDesktopWindows();
            MakeDesktopWindows();
            Repaint();
        }
        const TPlaceSize after = LargestPlace();
        Grew_ = Grew_ || after.Width > before.Width || after.Height > before.Height;
        xcb_flush(Connection_);
    }
}

void TX11Outputs::CheckCovers() {
    if (Lost_)
        return;
    for (std::size_t s = 0; s < Screens_.size(); ++s) {
        TScreen& screen = Screens_[s];
        if (!screen.Drawn)
            continue;
        const TReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(
            Connection_, xcb_query_tree(Connection_, screen.Setup->root), nullptr));
        if (!tree)
            continue;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        std::vector<xcb_get_window_attributes_cookie_t> asked;
        std::vector<xcb_get_geometry_cookie_t> measured;
        for (int i = 0; i < count; ++i) {
            asked.push_back(xcb_get_window_attributes(Connection_, children[i]));
            measured.push_back(xcb_get_geometry(Connection_, children[i]));
        }
        std::vector<xcb_rectangle_t> shown;
        for (int i = 0; i < count; ++i) {
            const TReply<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(Connection_, asked[i], nullptr));
            const TReply<xcb_get_geometry_reply_t> geometry(
                xcb_get_geometry_reply(Connection_, measured[i], nullptr));
            if (attributes && geometry && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT)
                shown.push_back(
                    {geometry->x, geometry->y,
                     static_cast<std::uint16_t>(geometry->width + 2 * geometry->border_width),
                     static_cast<std::uint16_t>(geometry->height + 2 * geometry->border_width)});
        }
        screen.Covered = CoveredBy({0, 0, static_cast<std::uint16_t>(screen.Width),
                                    static_cast<std::uint16_t>(screen.Height)},
                                   shown);
        for (TPlace& place : Places_)
            if (place.Window == screen.Setup->root)
                place.Obscured = screen.Covered;
    }
    CheckVisibility();
}

void TX11Outputs::CheckVisibility() {
    bool visible = false;
    for (const TPlace& place : Places_)
        visible = visible || (place.Mapped && !place.Obscured);
    if (visible == Visible_)
        return;
    Visible_ = visible;
    if (visible)
        Repaint(); // what was drawn while it could not be seen
    xcb_flush(Connection_);
    if (VisibilityChanged)
        VisibilityChanged(visible);
}

void TX11Outputs::Lose(const std::string& message) {
    Lost_ = true;
    MonitorPoll_.stop();
    CoverCheck_.stop();
    MapCheck_.stop();
    if (Notifier_)
        Notifier_->setEnabled(false);
    if (Lost)
        Lost(message);
}

} // namespace ombrix
