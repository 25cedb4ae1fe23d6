// The engine's own X11 connection for the presenter's windows. Opened once
// and kept for the life of the process, like the EGL display made on it; X
// errors on it are recorded instead of ending the process.
#pragma once

#include <X11/Xlib.h>

#include <mutex>
#include <vector>

namespace nerla {

class X11Connection {
  public:
    // Null when no display can be opened.
    static X11Connection* instance();

    Display* display() const { return display_; }
    // Held around every request the engine makes on the connection.
    std::mutex& lock() { return lock_; }

    // True (and forgotten) when an X error named `resource` since the last call.
    bool takeError(XID resource);

    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

  private:
    explicit X11Connection(Display* display) : display_(display) {}
    static int onError(Display* display, XErrorEvent* event);

    Display* display_;
    std::mutex lock_;
    std::mutex errorLock_;
    std::vector<XID> failedResources_;
};

}  // namespace nerla
