#include "video/presenter/x11_connection.h"

#include <algorithm>

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);
ErrorHandler previousHandler = nullptr;
X11Connection* connection = nullptr;

}  // namespace

X11Connection* X11Connection::instance() {
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        Display* display = XOpenDisplay(nullptr);
        if (!display) {
            GST_INFO("no X display; the presenter draws offscreen");
            return;
        }
        // Lives for the process: the EGL display made on it cannot be ended.
        static X11Connection opened(display);
        connection = &opened;
        // Errors of other connections go on to the handler that was there.
        previousHandler = XSetErrorHandler(&X11Connection::onError);
    });
    return connection;
}

int X11Connection::onError(Display* display, XErrorEvent* event) {
    if (connection && display == connection->display_) {
        char text[128] = {};
        XGetErrorText(display, event->error_code, text, sizeof text);
        GST_INFO("X error on the presenter's connection: %s (request %d, resource 0x%lx)", text,
                 event->request_code, event->resourceid);
        std::lock_guard lock(connection->errorLock_);
        auto& failed = connection->failedResources_;
        if (failed.size() >= 64) {
            failed.erase(failed.begin());  // nobody asked about the oldest
        }
        failed.push_back(event->resourceid);
        return 0;
    }
    return previousHandler ? previousHandler(display, event) : 0;
}

bool X11Connection::takeError(XID resource) {
    std::lock_guard lock(errorLock_);
    const auto at = std::find(failedResources_.begin(), failedResources_.end(), resource);
    if (at == failedResources_.end()) {
        return false;
    }
    failedResources_.erase(at);
    return true;
}

}  // namespace nerla
