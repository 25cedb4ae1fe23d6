// nerlaplay's own X11 window for --window: the host window the engine's
// video is bound to.
#pragma once

#include <X11/Xlib.h>

#include <memory>

class HostWindow {
  public:
    // A mapped top-level window of this size; null without a display.
    static std::unique_ptr<HostWindow> open(int width, int height);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    Window id() const { return window_; }

    struct Events {
        bool exposed = false;
        bool resized = false;
        bool closed = false;
        int width = 0;
        int height = 0;
    };
    // The window's events since the last call, without waiting.
    Events poll();

  private:
    HostWindow(Display* display, Window window, Atom deleteAtom)
        : display_(display), window_(window), deleteAtom_(deleteAtom) {}

    Display* display_;
    Window window_;
    Atom deleteAtom_;
};
