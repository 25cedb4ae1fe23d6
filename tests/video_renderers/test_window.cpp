#include "renderer_fixture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace renderers {

TestWindow::TestWindow(int width, int height, int top) : width_(width), height_(height), top_(top) {
    Display* display = XOpenDisplay(nullptr);
    display_ = display;
    if (!display) {
        return;
    }
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, top, width, height, 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
    window_ = static_cast<NerlaWindow>(window);
}

TestWindow::~TestWindow() {
    if (auto* display = static_cast<Display*>(display_)) {
        XDestroyWindow(display, static_cast<Window>(window_));
        XCloseDisplay(display);
    }
}

bool TestWindow::waitFor(const std::function<bool(const std::function<Rgb(int, int)>&)>& check,
                         std::chrono::milliseconds timeout) {
    auto* display = static_cast<Display*>(display_);
    if (!display) {
        return false;
    }
    return playback::pumpUntil(
        [&] {
            XImage* image = XGetImage(display, static_cast<Window>(window_), 0, 0, width_, height_,
                                      AllPlanes, ZPixmap);
            if (!image) {
                return false;
            }
            const auto pixel = [image](int x, int y) {
                const unsigned long value = XGetPixel(image, x, y);
                return Rgb{static_cast<int>((value >> 16) & 0xff),
                           static_cast<int>((value >> 8) & 0xff), static_cast<int>(value & 0xff)};
            };
            const bool held = check(pixel);
            XDestroyImage(image);
            return held;
        },
        timeout);
}

}  // namespace renderers
