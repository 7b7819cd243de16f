#include "X11Outputs.h"

#include "X11Root.h"

#include <xcb/randr.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace ombrix {

namespace {

struct TFreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using TReply = std::unique_ptr<T, TFreeDeleter>;

std::string Hex(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

// WM_HINTS: only the input hint, false: the window manager never gives it the focus.
constexpr std::uint32_t NoInputHints[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};

} // namespace

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
         xcb_screen_next(&it))
        Screens_.push_back(it.data);
    Pixmaps_.resize(Screens_.size());

    const auto fail = [this](const std::string& message) {
        xcb_disconnect(Connection_);
        Connection_ = nullptr;
        throw std::runtime_error(message);
    };
    if (place == TX11Place::Window) {
        const TReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(Connection_, xcb_get_geometry(Connection_, window), nullptr));
        const TReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            Connection_, xcb_get_window_attributes(Connection_, window), nullptr));
        if (!geometry || !attributes)
            fail("there is no window " + Hex(window) + " on the X display " + DisplayName_);
        if (!CanPutPicture(Connection_, geometry->depth))
            fail("the window " + Hex(window) + " has a depth of " +
                 std::to_string(geometry->depth) + " bits, which cannot be drawn into");
        Depth_ = geometry->depth;
        int screen = 0;
        for (std::size_t i = 0; i < Screens_.size(); ++i)
            if (Screens_[i]->root == geometry->root)
                screen = static_cast<int>(i);
        const std::uint32_t mask =
            XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_VISIBILITY_CHANGE;
        xcb_change_window_attributes(Connection_, window, XCB_CW_EVENT_MASK, &mask);
        Places_.push_back(
            {window, screen, attributes->map_state == XCB_MAP_STATE_VIEWABLE, false, false});
    } else {
        for (const xcb_screen_t* screen : Screens_)
            if (!CanPutPicture(Connection_, screen->root_depth))
                fail("the X screen's depth of " + std::to_string(screen->root_depth) +
                     " bits cannot be drawn into");
        Depth_ = Screens_.front()->root_depth;
        if (place == TX11Place::Root) {
            for (std::size_t i = 0; i < Screens_.size(); ++i)
                Places_.push_back({Screens_[i]->root, static_cast<int>(i), true, false, false});
        } else {
            const xcb_query_extension_reply_t* randr =
                xcb_get_extension_data(Connection_, &xcb_randr_id);
            HasRandr_ = randr && randr->present;
            if (HasRandr_) {
                RandrEvent_ = randr->first_event;
                for (const xcb_screen_t* screen : Screens_)
                    xcb_randr_select_input(Connection_, screen->root,
                                           XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE);
            }
            MakeDesktopWindows();
        }
    }
    xcb_flush(Connection_);
    Notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(Connection_),
                                                  QSocketNotifier::Read);
    QObject::connect(Notifier_.get(), &QSocketNotifier::activated, [this] { Events(); });
}

TX11Outputs::~TX11Outputs() {
    Notifier_.reset();
    if (!Connection_)
        return;
    if (Place_ == TX11Place::Root && !Lost_ && !Last_.empty()) {
        try {
            SetRootBackground(DisplayName_, {LastWidth_, LastHeight_, LastWidth_, Last_.data()});
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
        for (const TScreenPixmap& p : Pixmaps_)
            if (p.Pixmap) {
                xcb_free_pixmap(Connection_, p.Pixmap);
                xcb_free_gc(Connection_, p.Gc);
            }
        xcb_flush(Connection_);
    }
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

xcb_atom_t TX11Outputs::Atom(const char* name) {
    const TReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        Connection_,
        xcb_intern_atom(Connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

void TX11Outputs::MakeDesktopWindows() {
    const xcb_atom_t type = Atom("_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktopType = Atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    const xcb_atom_t state = Atom("_NET_WM_STATE");
    const xcb_atom_t states[] = {Atom("_NET_WM_STATE_BELOW"), Atom("_NET_WM_STATE_STICKY"),
                                 Atom("_NET_WM_STATE_SKIP_TASKBAR"),
                                 Atom("_NET_WM_STATE_SKIP_PAGER")};
    const xcb_atom_t desktop = Atom("_NET_WM_DESKTOP");
    const xcb_atom_t utf8 = Atom("UTF8_STRING");
    const xcb_atom_t netName = Atom("_NET_WM_NAME");
    const std::uint32_t allDesktops = 0xFFFFFFFFu;
    static const char title[] = "Ombrix Live";
    static const char windowClass[] = "ombrix-live\0Ombrix-live";

    for (std::size_t s = 0; s < Screens_.size(); ++s) {
        const xcb_screen_t& screen = *Screens_[s];
        std::vector<xcb_rectangle_t> areas;
        if (HasRandr_) {
            const TReply<xcb_randr_get_monitors_reply_t> monitors(xcb_randr_get_monitors_reply(
                Connection_, xcb_randr_get_monitors(Connection_, screen.root, 1), nullptr));
            if (monitors)
                for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
                     xcb_randr_monitor_info_next(&it))
                    if (it.data->width > 0 && it.data->height > 0)
                        areas.push_back({it.data->x, it.data->y, it.data->width, it.data->height});
        }
        if (areas.empty())
            areas.push_back({0, 0, screen.width_in_pixels, screen.height_in_pixels});
        for (const xcb_rectangle_t& area : areas) {
            const xcb_window_t window = xcb_generate_id(Connection_);
            const std::uint32_t values[] = {screen.black_pixel,
                                            XCB_EVENT_MASK_VISIBILITY_CHANGE |
                                                XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                                XCB_EVENT_MASK_BUTTON_PRESS};
            xcb_create_window(Connection_, XCB_COPY_FROM_PARENT, window, screen.root, area.x,
                              area.y, area.width, area.height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                              screen.root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
            xcb_change_property(Connection_, XCB_PROP_MODE_REPLACE, window, type, XCB_ATOM_ATOM, 32,
                                1, &desktopType);
            xcb_change_property(Connection_, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM,
                                32, 4, states);
            xcb_change_property(Connection_, XCB_PROP_MODE_REPLACE, window, desktop,
                                XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
            xcb_change_property(Connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS,
                                XCB_ATOM_WM_HINTS, 32, 9, NoInputHints);
            // WM_NORMAL_HINTS: the place and size are the program's (USPosition, USSize,
            // PMinSize, PMaxSize), so the window manager keeps them.
            const std::uint32_t sizeHints[18] = {1 | 2 | 16 | 32,
                                                 0,
                                                 0,
                                                 0,
                                                 0,
                                                 area.width,
                                                 area.height,
                                                 area.width,
                                                 area.height,
                                                 0,
                                                 0,
                                                 0,
                                                 0,
                                                 0,
                                                 0,
                                                 0,
                                                 0,
                                                 0};
            xcb_change_property(Connection_, XCB_PROP_MODE_REPLACE, window,
                                XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                                sizeHints);
            xcb_change_property(Connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                                XCB_ATOM_STRING, 8, sizeof title - 1, title);
            xcb_change_property(Connection_, XCB_PROP_MODE_REPLACE, window, netName, utf8, 8,
                                sizeof title - 1, title);
            xcb_change_property(Connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                                XCB_ATOM_STRING, 8, sizeof windowClass, windowClass);
            if (Pixmaps_[s].Pixmap) {
                xcb_change_window_attributes(Connection_, window, XCB_CW_BACK_PIXMAP,
                                             &Pixmaps_[s].Pixmap);
            }
            xcb_map_window(Connection_, window);
            const std::uint32_t below = XCB_STACK_MODE_BELOW;
            xcb_configure_window(Connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, &below);
            Places_.push_back({window, static_cast<int>(s), true, false, true});
        }
    }
}

void TX11Outputs::DestroyDesktopWindows() {
    std::erase_if(Places_, [this](const TPlace& place) {
        if (place.Own)
            xcb_destroy_window(Connection_, place.Window);
        return place.Own;
    });
}

void TX11Outputs::Show(const TLivePattern& pattern) {
    if (Lost_ || pattern.Width <= 0 || pattern.Height <= 0)
        return;
    if (Place_ == TX11Place::Root) {
        Last_.resize(static_cast<std::size_t>(pattern.Width) * pattern.Height);
        for (int y = 0; y < pattern.Height; ++y)
            std::memcpy(Last_.data() + static_cast<std::size_t>(y) * pattern.Width,
                        pattern.Pixels + static_cast<std::size_t>(y) * pattern.Stride,
                        static_cast<std::size_t>(pattern.Width) * 4);
        LastWidth_ = pattern.Width;
        LastHeight_ = pattern.Height;
    }
    for (std::size_t s = 0; s < Screens_.size(); ++s) {
        bool used = false;
        for (const TPlace& place : Places_)
            used = used || place.Screen == static_cast<int>(s);
        if (!used)
            continue;
        TScreenPixmap& p = Pixmaps_[s];
        if (p.Width != pattern.Width || p.Height != pattern.Height) {
            if (p.Pixmap) {
                xcb_free_pixmap(Connection_, p.Pixmap);
                xcb_free_gc(Connection_, p.Gc);
            }
            p.Pixmap = xcb_generate_id(Connection_);
            const xcb_drawable_t like = Place_ == TX11Place::Window
                                            ? static_cast<xcb_drawable_t>(GivenWindow_)
                                            : Screens_[s]->root;
            xcb_create_pixmap(Connection_, Depth_, p.Pixmap, like,
                              static_cast<std::uint16_t>(pattern.Width),
                              static_cast<std::uint16_t>(pattern.Height));
            p.Gc = xcb_generate_id(Connection_);
            xcb_create_gc(Connection_, p.Gc, p.Pixmap, 0, nullptr);
            p.Width = pattern.Width;
            p.Height = pattern.Height;
        }
        PutPicture(Connection_, p.Pixmap, p.Gc, Depth_,
                   {pattern.Width, pattern.Height, pattern.Stride, pattern.Pixels});
    }
    Repaint();
    xcb_flush(Connection_);
    Events();
}

void TX11Outputs::Repaint() {
    for (const TPlace& place : Places_) {
        const xcb_pixmap_t pixmap = Pixmaps_[place.Screen].Pixmap;
        if (!pixmap)
            continue;
        // Set again each time: the server need not look at a pixmap's later changes.
        xcb_change_window_attributes(Connection_, place.Window, XCB_CW_BACK_PIXMAP, &pixmap);
        if (place.Mapped && !place.Obscured)
            xcb_clear_area(Connection_, 0, place.Window, 0, 0, 0, 0);
    }
}

void TX11Outputs::Events() {
    if (Lost_ || !Connection_)
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(Connection_)) {
        Handle(*event);
        std::free(event);
        if (Lost_)
            return;
    }
    if (xcb_connection_has_error(Connection_)) {
        Lose("the X display " + DisplayName_ + " went away");
        return;
    }
    CheckVisibility();
}

void TX11Outputs::Handle(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    const auto find = [this](xcb_window_t window) -> TPlace* {
        for (TPlace& place : Places_)
            if (place.Window == window)
                return &place;
        return nullptr;
    };
    if (type == XCB_VISIBILITY_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_visibility_notify_event_t&>(event);
        if (TPlace* place = find(e.window))
            place->Obscured = e.state == XCB_VISIBILITY_FULLY_OBSCURED;
    } else if (type == XCB_MAP_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (TPlace* place = find(e.window)) {
            place->Mapped = true;
            place->Obscured = false;
        }
    } else if (type == XCB_UNMAP_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (TPlace* place = find(e.window))
            place->Mapped = false;
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
        // A monitor came, went or changed: the windows follow the monitors again.
        DestroyDesktopWindows();
        MakeDesktopWindows();
        Repaint();
        xcb_flush(Connection_);
    }
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
    Notifier_->setEnabled(false);
    if (Lost)
        Lost(message);
}

} // namespace ombrix
