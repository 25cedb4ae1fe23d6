#include "frame/x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <memory>

namespace nerla {
namespace {

struct DisplayClose {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayClose>;

struct XFreeDeleter {
    void operator()(void* data) const { XFree(data); }
};

DisplayPtr openDisplay() {
    return DisplayPtr(XOpenDisplay(nullptr));
}

}  // namespace

std::optional<std::vector<NerlaRect>> X11Display::monitors() {
    DisplayPtr display = openDisplay();
    if (!display) {
        return std::nullopt;
    }
    std::vector<NerlaRect> rects;
    int event = 0;
    int error = 0;
    const Window root = DefaultRootWindow(display.get());
    if (XRRQueryExtension(display.get(), &event, &error)) {
        int count = 0;
        std::unique_ptr<XRRMonitorInfo, decltype(&XRRFreeMonitors)> list(
            XRRGetMonitors(display.get(), root, True, &count), &XRRFreeMonitors);
        for (int i = 0; list && i < count; ++i) {
            const XRRMonitorInfo& m = list.get()[i];
            rects.push_back({m.x, m.y, m.x + m.width, m.y + m.height});
        }
    }
    if (rects.empty()) {  // no XRandR: the screen is the one monitor
        const int screen = DefaultScreen(display.get());
        rects.push_back(
            {0, 0, DisplayWidth(display.get(), screen), DisplayHeight(display.get(), screen)});
    }
    return rects;
}

bool X11Display::available() {
    return openDisplay() != nullptr;
}

NerlaWindow X11Display::activeWindow() {
    DisplayPtr display = openDisplay();
    if (!display) {
        return 0;
    }
    const Atom property = XInternAtom(display.get(), "_NET_ACTIVE_WINDOW", True);
    if (property == None) {
        return 0;
    }
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char* raw = nullptr;
    if (XGetWindowProperty(display.get(), DefaultRootWindow(display.get()), property, 0, 1, False,
                           XA_WINDOW, &type, &format, &items, &remaining, &raw) != Success) {
        return 0;
    }
    std::unique_ptr<unsigned char, XFreeDeleter> data(raw);
    if (type != XA_WINDOW || format != 32 || items != 1 || !data) {
        return 0;
    }
    return static_cast<NerlaWindow>(*reinterpret_cast<const unsigned long*>(data.get()));
}

}  // namespace nerla
