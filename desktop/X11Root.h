// An X11 screen's root window background that stays after the program ends, as the
// bare X11 desktops (no desktop program drawing its own background) keep it: the picture
// goes into a pixmap of the root's size that the X server keeps when the program's
// connection closes, and the pixmap is published in the root properties _XROOTPMAP_ID and
// ESETROOT_PMAP_ID, which compositors and pseudo-transparent terminals read. The pixmap
// that the previous setter left published this way is freed, so backgrounds set one after
// the other do not pile up in the server.
//
// Also the one place that puts 0xFFRRGGBB pixels into an X drawable, for the live
// wallpaper's windows. Only xcb; the failures' words are in X11Words.h.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace ombrix {

/// What the root background functions could not do.
enum class TRootFailure {
    OpenDisplay,         ///< open the display (Subject; empty when DISPLAY is not set)
    PictureSize,         ///< take a picture that is empty or over 32767 pixels a side
    ScreenDepth,         ///< draw on any screen: none CanPutPicture takes, one of Number bits
    BackgroundDepth,     ///< read a published pixmap of Number bits, nor that
    RefusedPicture,      ///< make a pixmap for the picture: X error Number
    RefusedScreen,       ///< make a pixmap of the screen's size: X error Number
    RefusedBackground,   ///< change the root window's background: X error Number
    RefusedKeep,         ///< keep the background after the program ends: X error Number
    NoBackgroundPicture, ///< get the published pixmap's pixels
};

/// The error SetRootBackground and ReadRootBackground throw. It carries no words for a
/// user, who gets them from its Failure, Subject and Number; what() is an English line,
/// for logs and the command-line programs.
class TRootError : public std::runtime_error {
public:
    TRootError(TRootFailure failure, std::string subject, long number);
    TRootFailure Failure;
    std::string Subject;
    long Number;
};

/// Width × Height pixels 0xFFRRGGBB, row by row from the top, Stride pixels from one row
/// to the next.
struct TRootPicture {
    int Width = 0;
    int Height = 0;
    int Stride = 0;
    const std::uint32_t* Pixels = nullptr;
};

/// True when pictures can be put into drawables of `depth` on `connection`: a true-colour
/// depth of 24 or 32 bits with 32 bits per pixel (what X servers use on today's screens).
bool CanPutPicture(xcb_connection_t* connection, std::uint8_t depth);

/// Puts `picture` at (0, top) of `drawable` (a window or pixmap of `depth`, one that
/// CanPutPicture accepts, large enough) with `gc`, in as many requests as the server's
/// request size asks, in the server's byte order. Only queues the requests.
void PutPicture(xcb_connection_t* connection, xcb_drawable_t drawable, xcb_gcontext_t gc,
                std::uint8_t depth, const TRootPicture& picture, int top = 0);

/// Leaves `picture`, repeated from the top-left corner (a picture of the screen's size
/// shows once), as the background of the root window of every screen of the X display
/// `display` (empty: the DISPLAY of the environment) whose depth CanPutPicture accepts,
/// publishes it, and frees the previous setter's pixmap (only a pixmap: a published
/// number that names anything else is left alone). All those screens or none: on a
/// failure nothing published changes. Opens and closes a connection of its own. Throws
/// TRootError when the picture is empty or too large, the display cannot be opened, no
/// screen has a depth CanPutPicture accepts, or the server refuses a request.
void SetRootBackground(const std::string& display, const TRootPicture& picture);

/// The background published on the first screen's root window: the pixmap that
/// _XROOTPMAP_ID names (0: none) and, when asked for, its pixels 0xFFRRGGBB row by row.
struct TRootBackground {
    std::uint32_t Pixmap = 0;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
};

/// Reads the background published on the X display `display` (empty: DISPLAY), with
/// its pixels when `withPixels`; a pixmap that no longer exists counts as none. Throws
/// TRootError when the display cannot be opened, the pixmap's depth is not one
/// CanPutPicture accepts, or the server does not give its pixels.
TRootBackground ReadRootBackground(const std::string& display, bool withPixels);

} // namespace ombrix
