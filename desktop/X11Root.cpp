#include "X11Root.h"

#include "X11Tools.h"
#include "X11Words.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace ombrix {

using x11::TReply;

TRootError::TRootError(TRootFailure failure, std::string subject, long number)
    : std::runtime_error(RootFailureEnglish(failure, subject, number)), Failure(failure),
      Subject(std::move(subject)), Number(number) {}

namespace {

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
    if (const int error = x11::RequestError(c, cookie))
        throw TRootError(refused, {}, error);
}

// A screen's new background, made but not shown yet, and the previous setter's pixmap.
struct TScreenBackground {
    const xcb_screen_t* Screen = nullptr;
    xcb_pixmap_t Full = XCB_NONE;
    xcb_pixmap_t Old = XCB_NONE;
};

// Makes the screen-sized pixmap of `picture` repeated from the top-left corner.
xcb_pixmap_t MakeBackground(xcb_connection_t* c, const xcb_screen_t& screen,
                            const TRootPicture& picture) {
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
    return full;
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
                std::uint8_t depth, const TRootPicture& picture, int top) {
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
                      0, static_cast<std::int16_t>(top + y), 0, depth,
                      static_cast<std::uint32_t>(rows * rowBytes),
                      reinterpret_cast<const std::uint8_t*>(data));
    }
}

namespace {

x11::TConnection Open(const std::string& name) {
    x11::TConnection c(xcb_connect(name.empty() ? nullptr : name.c_str(), nullptr));
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
    const xcb_atom_t rootPmap = x11::Atom(c.get(), "_XROOTPMAP_ID");
    const xcb_atom_t esetroot = x11::Atom(c.get(), "ESETROOT_PMAP_ID");
    // All screens or none: everything that can fail comes before the first change another
    // program can see, and the previous pixmaps go only once the new ones are published.
    // A failure closes the connection, which frees what was made so far.
    std::vector<TScreenBackground> screens;
    int depth = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c.get())); it.rem; xcb_screen_next(&it)) {
        if (!CanPutPicture(c.get(), it.data->root_depth)) {
            depth = it.data->root_depth;
            continue; // a screen of another depth keeps its background
        }
        TScreenBackground screen{it.data, MakeBackground(c.get(), *it.data, picture)};
        // The previous setter's pixmap, when it followed the same convention; only a
        // pixmap, never a window another program published by mistake or on purpose.
        const xcb_pixmap_t old = PixmapProperty(c.get(), it.data->root, esetroot);
        if (old != XCB_NONE && old == PixmapProperty(c.get(), it.data->root, rootPmap) &&
            x11::IsPixmap(c.get(), old))
            screen.Old = old;
        screens.push_back(screen);
    }
    if (screens.empty())
        throw TRootError(TRootFailure::ScreenDepth, {}, depth);
    for (const TScreenBackground& screen : screens)
        Check(c.get(),
              xcb_change_window_attributes_checked(c.get(), screen.Screen->root, XCB_CW_BACK_PIXMAP,
                                                   &screen.Full),
              TRootFailure::RefusedBackground);
    // The pixmaps outlive this connection; the next setter frees them with KillClient.
    Check(c.get(), xcb_set_close_down_mode_checked(c.get(), XCB_CLOSE_DOWN_RETAIN_PERMANENT),
          TRootFailure::RefusedKeep);
    for (const TScreenBackground& screen : screens) {
        xcb_clear_area(c.get(), 0, screen.Screen->root, 0, 0, 0, 0);
        for (const xcb_atom_t property : {rootPmap, esetroot})
            xcb_change_property(c.get(), XCB_PROP_MODE_REPLACE, screen.Screen->root, property,
                                XCB_ATOM_PIXMAP, 32, 1, &screen.Full);
    }
    // Freeing the previous setter's retained resources is how its pixmaps go: once per
    // setter, whose pixmaps on all screens share the resource base.
    const std::uint32_t base = ~xcb_get_setup(c.get())->resource_id_mask;
    std::vector<std::uint32_t> killed;
    for (const TScreenBackground& screen : screens)
        if (screen.Old != XCB_NONE &&
            std::ranges::find(killed, screen.Old & base) == killed.end()) {
            killed.push_back(screen.Old & base);
            xcb_kill_client(c.get(), screen.Old);
        }
    // Done before this returns: whoever looks next sees the new background.
    x11::Sync(c.get());
}

TRootBackground ReadRootBackground(const std::string& display, bool withPixels) {
    const auto c = Open(display);
    const xcb_screen_t& screen = *xcb_setup_roots_iterator(xcb_get_setup(c.get())).data;
    TRootBackground background;
    const xcb_pixmap_t pixmap =
        PixmapProperty(c.get(), screen.root, x11::Atom(c.get(), "_XROOTPMAP_ID"));
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
