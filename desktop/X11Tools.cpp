#include "X11Tools.h"

#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

#include <cstdio>
#include <cstring>

namespace ombrix::x11 {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    const TReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string Hex(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

int RequestError(xcb_connection_t* c, xcb_void_cookie_t cookie) {
    const TReply<xcb_generic_error_t> error(xcb_request_check(c, cookie));
    return error ? error->error_code : 0;
}

void Sync(xcb_connection_t* c) {
    const TReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

bool IsPixmap(xcb_connection_t* c, std::uint32_t id) {
    if (id == XCB_NONE)
        return false;
    xcb_generic_error_t* raw = nullptr;
    const TReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), &raw));
    const TReply<xcb_generic_error_t> notWindow(raw);
    if (attributes || !notWindow || notWindow->error_code != BadWindow)
        return false;
    const TReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr));
    return geometry != nullptr;
}

void MarkDesktopWindow(xcb_connection_t* c, xcb_window_t window, int width, int height,
                       const char* title) {
    xcb_ewmh_connection_t ewmh{};
    if (xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr)) {
        xcb_ewmh_set_wm_window_type(&ewmh, window, 1, &ewmh._NET_WM_WINDOW_TYPE_DESKTOP);
        xcb_atom_t states[] = {ewmh._NET_WM_STATE_BELOW, ewmh._NET_WM_STATE_STICKY,
                               ewmh._NET_WM_STATE_SKIP_TASKBAR, ewmh._NET_WM_STATE_SKIP_PAGER};
        xcb_ewmh_set_wm_state(&ewmh, window, 4, states);
        xcb_ewmh_set_wm_desktop(&ewmh, window, 0xFFFFFFFFu); // every workspace
        xcb_ewmh_set_wm_name(&ewmh, window, static_cast<std::uint32_t>(std::strlen(title)), title);
        xcb_ewmh_connection_wipe(&ewmh);
    }
    // Only the input hint, false: the window manager never gives it the focus.
    xcb_icccm_wm_hints_t hints{};
    xcb_icccm_wm_hints_set_input(&hints, 0);
    xcb_icccm_set_wm_hints(c, window, &hints);
    // The place and size are the program's, so the window manager keeps them.
    xcb_size_hints_t size{};
    xcb_icccm_size_hints_set_position(&size, 1, 0, 0);
    xcb_icccm_size_hints_set_size(&size, 1, width, height);
    xcb_icccm_size_hints_set_min_size(&size, width, height);
    xcb_icccm_size_hints_set_max_size(&size, width, height);
    xcb_icccm_set_wm_normal_hints(c, window, &size);
    xcb_icccm_set_wm_name(c, window, XCB_ATOM_STRING, 8,
                          static_cast<std::uint32_t>(std::strlen(title)), title);
    static const char windowClass[] = "ombrix-live\0Ombrix-live";
    xcb_icccm_set_wm_class(c, window, sizeof windowClass, windowClass);
}

} // namespace ombrix::x11
