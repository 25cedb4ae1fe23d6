// The presenter's device window: an X11 window of the engine's own, hidden
// until it becomes a child of a target window, then kept at the target's
// client size. It selects no input, so keyboard and mouse reach the target.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "video/presenter/x11_connection.h"

namespace nerla {

class DeviceWindow {
  public:
    static constexpr int kWidth = 1920;
    static constexpr int kHeight = 1080;

    // Unmapped, 1920x1080, with the visual `visualId` (0: the screen's own)
    // and a random title. Null when the window cannot be made.
    static std::unique_ptr<DeviceWindow> create(X11Connection& connection, VisualID visualId);
    ~DeviceWindow();
    DeviceWindow(const DeviceWindow&) = delete;
    DeviceWindow& operator=(const DeviceWindow&) = delete;

    // A title of 0 to 127 characters out of [0-9A-Za-z].
    static std::string randomTitle();

    Window id() const { return window_; }
    Window target() const { return target_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Gone under us: destroyed with its target, or refused by the server.
    bool destroyed() const { return destroyed_; }

    // Becomes a child of `target` at its client size and is shown; false
    // when the target is not a window.
    bool setTarget(Window target);
    // Without a target the window takes this size (the size frames are
    // drawn at); with one it keeps filling the target.
    void resize(int width, int height);

    struct Changes {
        bool exposed = false;
        bool resized = false;
    };
    // Handles the connection's events for the window and its target without
    // waiting: follows the target's size, notices the window's end.
    Changes poll();

  private:
    DeviceWindow(X11Connection& connection, Window window, Colormap colormap)
        : connection_(connection), window_(window), colormap_(colormap) {}
    void checkErrors();

    X11Connection& connection_;
    Window window_;
    Colormap colormap_;
    Window target_ = 0;
    int width_ = kWidth;
    int height_ = kHeight;
    bool destroyed_ = false;
};

}  // namespace nerla
