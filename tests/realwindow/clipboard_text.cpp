// clipboard_text [SELECTION]: prints the text of an X selection as UTF-8, as a program
// that pastes would receive it. SELECTION is CLIPBOARD (the default) or PRIMARY, the
// text last selected with the mouse. Exits 1 when nobody owns the selection or the
// owner does not answer within five seconds.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <chrono>
#include <cstdio>

int main(int argc, char* argv[]) {
    const char* selectionName = argc > 1 ? argv[1] : "CLIPBOARD";
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "clipboard_text: cannot open the display\n");
        return 1;
    }
    const Atom clipboard = XInternAtom(display, selectionName, False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom target = XInternAtom(display, "CLIPBOARD_TEXT_RESULT", False);
    if (XGetSelectionOwner(display, clipboard) == None) {
        std::fprintf(stderr, "clipboard_text: nobody owns %s\n", selectionName);
        XCloseDisplay(display);
        return 1;
    }
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XConvertSelection(display, clipboard, utf8, target, window, CurrentTime);
    XFlush(display);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 1;
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != SelectionNotify || event.xselection.selection != clipboard)
                continue;
            if (event.xselection.property == None) {
                std::fprintf(stderr, "clipboard_text: the owner refused to give text\n");
                XCloseDisplay(display);
                return 1;
            }
            Atom type = None;
            int format = 0;
            unsigned long items = 0;
            unsigned long left = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, window, target, 0, 1 << 20, True, AnyPropertyType,
                                   &type, &format, &items, &left, &data) == Success &&
                data != nullptr && format == 8) {
                std::fwrite(data, 1, items, stdout);
                status = 0;
            } else {
                std::fprintf(stderr, "clipboard_text: the clipboard's text cannot be read\n");
            }
            if (data != nullptr)
                XFree(data);
            XCloseDisplay(display);
            return status;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 100);
    }
    std::fprintf(stderr, "clipboard_text: the clipboard's owner did not answer\n");
    XCloseDisplay(display);
    return 1;
}
