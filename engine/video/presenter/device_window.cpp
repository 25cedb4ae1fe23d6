#include "video/presenter/device_window.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <random>

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

constexpr long kWindowEvents = ExposureMask | StructureNotifyMask;
constexpr long kTargetEvents = StructureNotifyMask;

}  // namespace

std::string DeviceWindow::randomTitle() {
    static constexpr char kCharacters[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    thread_local std::mt19937 random{std::random_device{}()};
    std::string title(random() % 128, ' ');
    for (char& c : title) {
        c = kCharacters[random() % 62];
    }
    return title;
}

std::unique_ptr<DeviceWindow> DeviceWindow::create(X11Connection& connection, VisualID visualId) {
    std::lock_guard lock(connection.lock());
    Display* display = connection.display();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    Visual* visual = DefaultVisual(display, screen);
    int depth = DefaultDepth(display, screen);
    if (visualId) {
        XVisualInfo wanted{};
        wanted.visualid = visualId;
        int count = 0;
        std::unique_ptr<XVisualInfo, int (*)(void*)> info(
            XGetVisualInfo(display, VisualIDMask, &wanted, &count), &XFree);
        if (info && count > 0) {
            visual = info->visual;
            depth = info->depth;
        }
    }
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(display, root, visual, AllocNone);
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.event_mask = kWindowEvents;
    const Window window =
        XCreateWindow(display, root, 0, 0, kWidth, kHeight, 0, depth, InputOutput, visual,
                      CWColormap | CWBackPixmap | CWBorderPixel | CWEventMask, &attributes);
    if (!window) {
        XFreeColormap(display, attributes.colormap);
        return nullptr;
    }
    const std::string title = randomTitle();
    XStoreName(display, window, title.c_str());
    XFlush(display);
    GST_DEBUG("device window 0x%lx", window);
    return std::unique_ptr<DeviceWindow>(new DeviceWindow(connection, window, attributes.colormap));
}

DeviceWindow::~DeviceWindow() {
    std::lock_guard lock(connection_.lock());
    Display* display = connection_.display();
    if (target_) {
        XSelectInput(display, target_, NoEventMask);
    }
    if (!destroyed_) {
        XDestroyWindow(display, window_);
    }
    XFreeColormap(display, colormap_);
    XSync(display, False);
    // Nothing is left queued for windows nobody reads any more.
    XEvent event;
    while (XCheckWindowEvent(display, window_, kWindowEvents, &event) ||
           (target_ && XCheckWindowEvent(display, target_, kTargetEvents, &event))) {
    }
    connection_.takeError(window_);
    if (target_) {
        connection_.takeError(target_);
    }
}

bool DeviceWindow::setTarget(Window target) {
    if (destroyed_ || !target) {
        return false;
    }
    std::lock_guard lock(connection_.lock());
    Display* display = connection_.display();
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (!XGetGeometry(display, target, &root, &x, &y, &width, &height, &border, &depth)) {
        connection_.takeError(target);
        GST_WARNING("target 0x%lx is not a window", target);
        return false;
    }
    if (target_ && target_ != target) {
        XSelectInput(display, target_, NoEventMask);
    }
    target_ = target;
    XSelectInput(display, target_, kTargetEvents);
    XReparentWindow(display, window_, target_, 0, 0);
    width_ = static_cast<int>(std::max(1u, width));
    height_ = static_cast<int>(std::max(1u, height));
    XMoveResizeWindow(display, window_, 0, 0, width_, height_);
    XMapWindow(display, window_);
    XSync(display, False);
    checkErrors();
    GST_DEBUG("device window 0x%lx in 0x%lx at %dx%d", window_, target_, width_, height_);
    return !destroyed_;
}

void DeviceWindow::resize(int width, int height) {
    if (target_ || destroyed_ || width <= 0 || height <= 0) {
        return;
    }
    std::lock_guard lock(connection_.lock());
    width_ = width;
    height_ = height;
    XResizeWindow(connection_.display(), window_, width_, height_);
    XFlush(connection_.display());
}

DeviceWindow::Changes DeviceWindow::poll() {
    Changes changes;
    if (destroyed_) {
        return changes;
    }
    std::lock_guard lock(connection_.lock());
    Display* display = connection_.display();
    XEvent event;
    while (XCheckWindowEvent(display, window_, kWindowEvents, &event)) {
        if (event.type == Expose && event.xexpose.count == 0) {
            changes.exposed = true;
        } else if (event.type == DestroyNotify && event.xdestroywindow.window == window_) {
            destroyed_ = true;
        }
    }
    while (target_ && XCheckWindowEvent(display, target_, kTargetEvents, &event)) {
        if (event.type == ConfigureNotify && event.xconfigure.window == target_) {
            const int width = std::max(1, event.xconfigure.width);
            const int height = std::max(1, event.xconfigure.height);
            if (width != width_ || height != height_) {
                width_ = width;
                height_ = height;
                changes.resized = true;
            }
        }
    }
    if (changes.resized && !destroyed_) {
        XResizeWindow(display, window_, width_, height_);
        XFlush(display);
    }
    checkErrors();
    return changes;
}

void DeviceWindow::checkErrors() {
    if (connection_.takeError(window_)) {
        destroyed_ = true;
    }
}

}  // namespace nerla
