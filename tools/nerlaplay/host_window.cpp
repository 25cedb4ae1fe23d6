#include "host_window.h"

std::unique_ptr<HostWindow> HostWindow::open(int width, int height) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return nullptr;
    }
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                            BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, "nerlaplay");
    XSelectInput(display, window,
                 ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask);
    Atom deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteAtom, 1);
    XMapWindow(display, window);
    // Shown before the video is bound to it.
    for (XEvent event;;) {
        XWindowEvent(display, window, StructureNotifyMask, &event);
        if (event.type == MapNotify) {
            break;
        }
    }
    return std::unique_ptr<HostWindow>(new HostWindow(display, window, deleteAtom));
}

HostWindow::~HostWindow() {
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

HostWindow::Events HostWindow::poll() {
    Events events;
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == Expose && event.xexpose.count == 0) {
            events.exposed = true;
        } else if (event.type == ConfigureNotify) {
            events.resized = true;
            events.width = event.xconfigure.width;
            events.height = event.xconfigure.height;
        } else if (event.type == ClientMessage &&
                   static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom_) {
            events.closed = true;
        } else if (event.type == KeyPress) {
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            events.closed = events.closed || key == 'q' || key == 0xff1b;  // q, Escape
        }
    }
    return events;
}
