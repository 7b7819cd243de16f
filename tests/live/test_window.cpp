// A window of the test's own: `live_test_window WIDTH HEIGHT [cover|publish|vanish]` maps
// a window of that size and prints its number once it is mapped; it stays until it is
// killed. With "cover" it is at 0,0 past the window manager, over everything; with
// "publish" its number is also published as the root background's pixmap (as a careless
// or hostile program could); with "vanish" it is destroyed as soon as another program
// asks for its events (ombrix-live asks for its visibility with its end), and the
// program ends.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

int main(int argc, char* argv[]) {
    if (argc < 3)
        return 2;
    const auto width = static_cast<std::uint16_t>(std::atoi(argv[1]));
    const auto height = static_cast<std::uint16_t>(std::atoi(argv[2]));
    const char* mode = argc > 3 ? argv[3] : "";
    const bool cover = std::strcmp(mode, "cover") == 0;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->white_pixel, cover ? 1u : 0u,
                                    XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, width, height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const char title[] = "live test window";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof title - 1, title);
    xcb_map_window(c, window);
    xcb_flush(c);
    if (std::strcmp(mode, "publish") == 0)
        for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
            auto* atom = xcb_intern_atom_reply(
                c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
                nullptr);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, atom->atom, XCB_ATOM_PIXMAP,
                                32, 1, &window);
            std::free(atom);
        }
    bool told = false;
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY && !told) {
            std::printf("%u\n", window);
            std::fflush(stdout);
            told = true;
        }
        std::free(event);
        while (told && std::strcmp(mode, "vanish") == 0) {
            auto* attributes =
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
            const bool watched =
                attributes && (attributes->all_event_masks & ~attributes->your_event_mask &
                               XCB_EVENT_MASK_VISIBILITY_CHANGE);
            std::free(attributes);
            if (watched) {
                xcb_destroy_window(c, window);
                xcb_disconnect(c);
                return 0;
            }
        }
    }
    return 0;
}
