#include "video/renderer/x11_window.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace nerla {
namespace {

struct ConnectionClose {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
struct ReplyFree {
    void operator()(void* reply) const { std::free(reply); }
};

}  // namespace

// Through XCB: a window that is gone gives an error reply, not a call of
// the process-wide Xlib error handler.
std::optional<NerlaRect> X11Window::clientRect(NerlaWindow window) {
    if (!window || !std::getenv("DISPLAY")) {
        return std::nullopt;
    }
    std::unique_ptr<xcb_connection_t, ConnectionClose> connection(xcb_connect(nullptr, nullptr));
    if (!connection || xcb_connection_has_error(connection.get())) {
        return std::nullopt;
    }
    xcb_generic_error_t* rawError = nullptr;
    std::unique_ptr<xcb_get_geometry_reply_t, ReplyFree> geometry(xcb_get_geometry_reply(
        connection.get(), xcb_get_geometry(connection.get(), static_cast<xcb_drawable_t>(window)),
        &rawError));
    std::unique_ptr<xcb_generic_error_t, ReplyFree> error(rawError);
    if (!geometry || error) {
        return std::nullopt;
    }
    return NerlaRect{0, 0, geometry->width, geometry->height};
}

}  // namespace nerla
