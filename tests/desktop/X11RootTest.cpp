// The root background on a real X server (Xvfb of its own): the picture repeated over
// the root as the server shows it, published for other programs, kept after the setter's
// connection closed, and the previous setter's pixmap freed by the next one.
#include "X11Root.h"
#include "Xvfb.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace ombrix;
using ombrix::testing::StartXvfb;

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

xcb_pixmap_t Published(xcb_connection_t* c, xcb_window_t root, const char* name) {
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, Atom(c, name), XCB_ATOM_PIXMAP, 0, 1), nullptr);
    xcb_pixmap_t pixmap = XCB_NONE;
    if (reply && xcb_get_property_value_length(reply) == 4)
        pixmap = *static_cast<xcb_pixmap_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return pixmap;
}

bool Exists(xcb_connection_t* c, xcb_drawable_t drawable) {
    auto* reply = xcb_get_geometry_reply(c, xcb_get_geometry(c, drawable), nullptr);
    std::free(reply);
    return reply != nullptr;
}

// The root's pixels as 0xRRGGBB (Xvfb: depth 24, 32 bits per pixel, least byte first).
std::vector<std::uint32_t> RootPixels(xcb_connection_t* c, xcb_window_t root, int w, int h) {
    auto* reply = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, 0, 0, w, h, ~0u), nullptr);
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(reply));
    std::vector<std::uint32_t> pixels(data, data + w * h);
    std::free(reply);
    for (auto& p : pixels)
        p &= 0xFFFFFFu;
    return pixels;
}

} // namespace

TEST(X11Root, BackgroundStaysAndThePreviousPixmapGoes) {
    QProcess xvfb;
    const std::string display = StartXvfb(xvfb, 70, 50).toStdString();
    ASSERT_NE(display, "");

    // A 3 x 2 picture with a stride of 4: the fourth pixel of a row never shows.
    const std::uint32_t first[] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFFFFFFF,
                                   0xFFA0B0C0, 0xFFD0E0F0, 0xFF010203, 0xFFFFFFFF};
    SetRootBackground(display, {3, 2, 4, first});

    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto pixels = RootPixels(c, root, 70, 50);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{
             {0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {2, 1}, {5, 3}, {69, 49}, {68, 48}}) {
        const std::uint32_t expected = first[(y % 2) * 4 + x % 3] & 0xFFFFFFu;
        EXPECT_EQ(pixels[y * 70 + x], expected) << "pixel " << x << "," << y;
    }
    const xcb_pixmap_t firstPixmap = Published(c, root, "_XROOTPMAP_ID");
    EXPECT_NE(firstPixmap, XCB_NONE);
    EXPECT_EQ(Published(c, root, "ESETROOT_PMAP_ID"), firstPixmap);
    EXPECT_TRUE(Exists(c, firstPixmap)) << "the pixmap outlives the setter's connection";

    const std::uint32_t second[] = {0xFF00FF00};
    SetRootBackground(display, {1, 1, 1, second});
    const xcb_pixmap_t secondPixmap = Published(c, root, "_XROOTPMAP_ID");
    EXPECT_NE(secondPixmap, firstPixmap);
    EXPECT_FALSE(Exists(c, firstPixmap)) << "the previous setter's pixmap is freed";
    EXPECT_TRUE(Exists(c, secondPixmap));
    EXPECT_EQ(RootPixels(c, root, 70, 50), std::vector<std::uint32_t>(70 * 50, 0x00FF00u));
    xcb_disconnect(c);

    EXPECT_THROW(SetRootBackground(":4095", {1, 1, 1, second}), std::runtime_error);
    xvfb.terminate();
    xvfb.waitForFinished(60000);
}
