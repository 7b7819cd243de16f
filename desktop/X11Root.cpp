#include "X11Root.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace ombrix {

namespace {

std::string English(TRootFailure failure, const std::string& subject, long number) {
    const std::string n = std::to_string(number);
    switch (failure) {
    case TRootFailure::OpenDisplay:
        return "cannot open the X display " + (subject.empty() ? "(DISPLAY is not set)" : subject);
    case TRootFailure::PictureSize:
        return "the picture for the root window is empty or too large";
    case TRootFailure::ScreenDepth:
        return "the X screen's depth of " + n + " bits is not supported (24 or 32 bits are)";
    case TRootFailure::BackgroundDepth:
        return "the root background's depth of " + n + " bits is not supported (24 or 32 bits are)";
    case TRootFailure::RefusedPicture:
        return "the X server refused a pixmap for the picture (error " + n + ")";
    case TRootFailure::RefusedScreen:
        return "the X server refused a pixmap of the screen's size (error " + n + ")";
    case TRootFailure::RefusedBackground:
        return "the X server refused the root window's background (error " + n + ")";
    case TRootFailure::RefusedKeep:
        return "the X server refused to keep the background after the program ends (error " + n +
               ")";
    case TRootFailure::NoBackgroundPicture:
        return "the X server did not give the root background's picture";
    }
    return "the root background failed";
}

} // namespace

TRootError::TRootError(TRootFailure failure, std::string subject, long number)
    : std::runtime_error(English(failure, subject, number)), Failure(failure),
      Subject(std::move(subject)), Number(number) {}

namespace {

struct TFreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using TReply = std::unique_ptr<T, TFreeDeleter>;

struct TConnectionCloser {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    const TReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c,
        xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::char_traits<char>::length(name)),
                        name),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The pixmap a root property names, or none.
xcb_pixmap_t PixmapProperty(xcb_connection_t* c, xcb_window_t root, xcb_atom_t property) {
    const TReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, property, XCB_ATOM_PIXMAP, 0, 1), nullptr));
    if (!reply || reply->type != XCB_ATOM_PIXMAP || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) != 4)
        return XCB_NONE;
    return *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(reply.get()));
}

void Check(xcb_connection_t* c, xcb_void_cookie_t cookie, TRootFailure refused) {
    if (const TReply<xcb_generic_error_t> error(xcb_request_check(c, cookie)); error)
        throw TRootError(refused, {}, error->error_code);
}

void SetScreenBackground(xcb_connection_t* c, const xcb_screen_t& screen,
                         const TRootPicture& picture, xcb_atom_t rootPmap, xcb_atom_t esetroot) {
    if (!CanPutPicture(c, screen.root_depth))
        throw TRootError(TRootFailure::ScreenDepth, {}, screen.root_depth);
    // The previous setter's pixmap, when it followed the same convention: freeing its
    // retained resources is how that pixmap goes.
    const xcb_pixmap_t old = PixmapProperty(c, screen.root, esetroot);
    if (old != XCB_NONE && old == PixmapProperty(c, screen.root, rootPmap))
        xcb_kill_client(c, old);

    const xcb_pixmap_t tile = xcb_generate_id(c);
    Check(c,
          xcb_create_pixmap_checked(c, screen.root_depth, tile, screen.root,
                                    static_cast<std::uint16_t>(picture.Width),
                                    static_cast<std::uint16_t>(picture.Height)),
          TRootFailure::RefusedPicture);
    const xcb_gcontext_t putGc = xcb_generate_id(c);
    xcb_create_gc(c, putGc, tile, 0, nullptr);
    PutPicture(c, tile, putGc, screen.root_depth, picture);

    const xcb_pixmap_t full = xcb_generate_id(c);
    Check(c,
          xcb_create_pixmap_checked(c, screen.root_depth, full, screen.root, screen.width_in_pixels,
                                    screen.height_in_pixels),
          TRootFailure::RefusedScreen);
    const xcb_gcontext_t fillGc = xcb_generate_id(c);
    const std::uint32_t fill[] = {XCB_FILL_STYLE_TILED, tile};
    xcb_create_gc(c, fillGc, full, XCB_GC_FILL_STYLE | XCB_GC_TILE, fill);
    const xcb_rectangle_t all{0, 0, screen.width_in_pixels, screen.height_in_pixels};
    xcb_poly_fill_rectangle(c, full, fillGc, 1, &all);
    xcb_free_gc(c, fillGc);
    xcb_free_gc(c, putGc);
    xcb_free_pixmap(c, tile);

    Check(c, xcb_change_window_attributes_checked(c, screen.root, XCB_CW_BACK_PIXMAP, &full),
          TRootFailure::RefusedBackground);
    xcb_clear_area(c, 0, screen.root, 0, 0, 0, 0);
    for (const xcb_atom_t property : {rootPmap, esetroot})
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen.root, property, XCB_ATOM_PIXMAP, 32, 1,
                            &full);
}

} // namespace

bool CanPutPicture(xcb_connection_t* connection, std::uint8_t depth) {
    if (depth != 24 && depth != 32)
        return false;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth)
            return it.data->bits_per_pixel == 32;
    return false;
}

void PutPicture(xcb_connection_t* connection, xcb_drawable_t drawable, xcb_gcontext_t gc,
                std::uint8_t depth, const TRootPicture& picture) {
    if (picture.Width <= 0 || picture.Height <= 0)
        return;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const bool swap = (setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST) !=
                      (std::endian::native == std::endian::big);
    const std::size_t rowBytes = static_cast<std::size_t>(picture.Width) * 4;
    // The request's own header is 24 bytes; the rest of the largest request is pixels.
    const std::size_t maxBytes =
        static_cast<std::size_t>(xcb_get_maximum_request_length(connection)) * 4 - 64;
    const int bandRows = static_cast<int>(std::max<std::size_t>(1, maxBytes / rowBytes));

    std::vector<std::uint32_t> band;
    for (int y = 0; y < picture.Height; y += bandRows) {
        const int rows = std::min(bandRows, picture.Height - y);
        const std::uint32_t* first = picture.Pixels + static_cast<std::size_t>(y) * picture.Stride;
        const std::uint32_t* data = first;
        if (swap || picture.Stride != picture.Width) {
            band.resize(static_cast<std::size_t>(rows) * picture.Width);
            for (int r = 0; r < rows; ++r)
                std::copy_n(first + static_cast<std::size_t>(r) * picture.Stride, picture.Width,
                            band.begin() + static_cast<std::ptrdiff_t>(r) * picture.Width);
            if (swap)
                for (auto& pixel : band)
                    pixel = __builtin_bswap32(pixel);
            data = band.data();
        }
        xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc,
                      static_cast<std::uint16_t>(picture.Width), static_cast<std::uint16_t>(rows),
                      0, static_cast<std::int16_t>(y), 0, depth,
                      static_cast<std::uint32_t>(rows * rowBytes),
                      reinterpret_cast<const std::uint8_t*>(data));
    }
}

namespace {

std::unique_ptr<xcb_connection_t, TConnectionCloser> Open(const std::string& name) {
    std::unique_ptr<xcb_connection_t, TConnectionCloser> c(
        xcb_connect(name.empty() ? nullptr : name.c_str(), nullptr));
    if (xcb_connection_has_error(c.get())) {
        const char* shown = name.empty() ? std::getenv("DISPLAY") : name.c_str();
        throw TRootError(TRootFailure::OpenDisplay, shown ? shown : "", 0);
    }
    return c;
}

} // namespace

void SetRootBackground(const std::string& display, const TRootPicture& picture) {
    if (picture.Width <= 0 || picture.Height <= 0 || picture.Width > 32767 ||
        picture.Height > 32767)
        throw TRootError(TRootFailure::PictureSize, {}, 0);
    const auto c = Open(display);
    const xcb_atom_t rootPmap = Atom(c.get(), "_XROOTPMAP_ID");
    const xcb_atom_t esetroot = Atom(c.get(), "ESETROOT_PMAP_ID");
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c.get())); it.rem; xcb_screen_next(&it))
        SetScreenBackground(c.get(), *it.data, picture, rootPmap, esetroot);
    // The pixmaps outlive this connection; the next setter frees them with KillClient.
    Check(c.get(), xcb_set_close_down_mode_checked(c.get(), XCB_CLOSE_DOWN_RETAIN_PERMANENT),
          TRootFailure::RefusedKeep);
}

TRootBackground ReadRootBackground(const std::string& display, bool withPixels) {
    const auto c = Open(display);
    const xcb_screen_t& screen = *xcb_setup_roots_iterator(xcb_get_setup(c.get())).data;
    TRootBackground background;
    const xcb_pixmap_t pixmap =
        PixmapProperty(c.get(), screen.root, Atom(c.get(), "_XROOTPMAP_ID"));
    if (pixmap == XCB_NONE)
        return background;
    const TReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c.get(), xcb_get_geometry(c.get(), pixmap), nullptr));
    if (!geometry)
        return background; // freed by its setter without unpublishing it
    background.Pixmap = pixmap;
    if (!withPixels)
        return background;
    if (!CanPutPicture(c.get(), geometry->depth))
        throw TRootError(TRootFailure::BackgroundDepth, {}, geometry->depth);
    const TReply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(c.get(),
                            xcb_get_image(c.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0,
                                          geometry->width, geometry->height, ~0u),
                            nullptr));
    const std::size_t count = std::size_t{geometry->width} * geometry->height;
    if (!image || static_cast<std::size_t>(xcb_get_image_data_length(image.get())) < count * 4)
        throw TRootError(TRootFailure::NoBackgroundPicture, {}, 0);
    const bool swap = (xcb_get_setup(c.get())->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST) !=
                      (std::endian::native == std::endian::big);
    background.Width = geometry->width;
    background.Height = geometry->height;
    background.Pixels.resize(count);
    std::memcpy(background.Pixels.data(), xcb_get_image_data(image.get()), count * 4);
    for (auto& pixel : background.Pixels)
        pixel = (swap ? __builtin_bswap32(pixel) : pixel) | 0xFF000000u;
    return background;
}

} // namespace ombrix
