// The small pieces every X11 part of the program shares, on plain xcb: replies and
// connections freed on their own, atoms, window numbers as text, checked requests, what
// a resource number names, and the window manager hints of the program's own windows
// (xcb-icccm, xcb-ewmh).
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace ombrix::x11 {

struct TFreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
/// A reply or error of xcb, freed when it goes.
template <typename T> using TReply = std::unique_ptr<T, TFreeDeleter>;

struct TConnectionCloser {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using TConnection = std::unique_ptr<xcb_connection_t, TConnectionCloser>;

/// The X error codes the program tells apart.
enum TErrorCode : std::uint8_t {
    BadWindow = 3,
    BadPixmap = 4,
    BadDrawable = 9,
    BadAlloc = 11,
};

/// The atom of `name` (made when missing); XCB_ATOM_NONE when the server does not answer.
xcb_atom_t Atom(xcb_connection_t* c, const char* name);

/// "0x1a00003": a window or pixmap number as the X tools show it.
std::string Hex(std::uint32_t id);

/// Waits for the checked request of `cookie`: 0 when it was done, else the X error code.
int RequestError(xcb_connection_t* c, xcb_void_cookie_t cookie);

/// Waits until the server has done every request sent so far (one round trip).
void Sync(xcb_connection_t* c);

/// True when `id` names a pixmap: it is no window (GetWindowAttributes fails with
/// BadWindow) yet a drawable (GetGeometry answers). Freeing a pixmap's owner with
/// KillClient is then safe; for any other number it could end another program.
bool IsPixmap(xcb_connection_t* c, std::uint32_t id);

/// Marks `window` (made by the program, not yet mapped) as the desktop behind all other
/// windows at `width` × `height`: window type desktop, below, on every workspace, outside
/// task bars and pagers, never focused, its place and size the program's, titled `title`
/// and of class ombrix-live.
void MarkDesktopWindow(xcb_connection_t* c, xcb_window_t window, int width, int height,
                       const char* title);

} // namespace ombrix::x11
