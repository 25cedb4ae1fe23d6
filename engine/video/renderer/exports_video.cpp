// Window binding, extra windows, repaint, snapshot, overlay and picture
// controls of a channel's video.
#include <cstdint>
#include <optional>

#include "frame/channel_list.h"
#include "frame/export_guard.h"
#include "frame/library.h"
#include "graph/direct_show.h"
#include "nerla.h"
#include "video/renderer/x11_window.h"

using nerla::guarded;
using nerla::IDirectShow;
using nerla::IVideoRenderer2;

namespace {

// A channel that shows video, or null (NERLA_ERROR_NOVIDEO when it has none).
IDirectShow* videoChannel(NerlaHandle channel) {
    IDirectShow* target = nerla::ChannelList::instance().find(channel);
    if (target && !target->videoRenderer()) {
        nerla::setError(NERLA_ERROR_NOVIDEO);
        return nullptr;
    }
    return target;
}

// Runs `operation` on the renderer object of `windowId`; `noWindow` for an
// id that names none, `failure` for an unknown channel or one without video.
template <typename R, typename Operation>
R onWindow(NerlaHandle channel, uint32_t windowId, R failure, R noWindow, Operation operation) {
    return guarded(failure, [&]() -> R {
        IDirectShow* target = videoChannel(channel);
        if (!target) {
            return failure;
        }
        IVideoRenderer2* renderer = target->windowRenderer(windowId);
        return renderer ? operation(*renderer) : noWindow;
    });
}

}  // namespace

extern "C" {

NERLA_API int32_t NERLA_CALL Nerla_ChannelSetWindow(NerlaHandle channel, uint32_t /*windowId*/,
                                                    NerlaWindow win) {
    return guarded(0, [&] {
        IDirectShow* target = nerla::ChannelList::instance().find(channel);
        if (!target) {
            return 0;
        }
        const std::optional<NerlaRect> client = nerla::X11Window::clientRect(win);
        const int32_t result = target->bindVideoWindow(win, client ? &*client : nullptr);
        if (!target->videoRenderer()) {
            nerla::setError(NERLA_ERROR_NOVIDEO);
            return 1;
        }
        return result;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelResizeWindow(NerlaHandle channel, uint32_t /*windowId*/,
                                                       int32_t x, int32_t y, int32_t width,
                                                       int32_t height) {
    return guarded(0, [&] {
        IDirectShow* target = nerla::ChannelList::instance().find(channel);
        if (!target) {
            return 0;
        }
        IVideoRenderer2* renderer = target->videoRenderer();
        if (!renderer) {
            nerla::setError(NERLA_ERROR_NOVIDEO);
            return 1;
        }
        const NerlaRect area{x, y, width, height};
        return renderer->BindWindow(0, &area);
    });
}

NERLA_API uint32_t NERLA_CALL Nerla_ChannelAddWindow(NerlaHandle channel, NerlaWindow win,
                                                     int32_t rendererType) {
    return guarded(0u, [&] {
        IDirectShow* target = nerla::ChannelList::instance().find(channel);
        if (!target || rendererType == 0) {
            return 0u;
        }
        if (!target->videoRenderer()) {
            nerla::setError(NERLA_ERROR_NOVIDEO);
            return 0u;
        }
        return target->AddWindow(win, rendererType);
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelRemoveWindow(NerlaHandle channel, uint32_t windowId) {
    return guarded(0, [&] {
        IDirectShow* target = videoChannel(channel);
        return target ? target->RemoveWindow(windowId) : 0;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelRepaint(NerlaHandle channel, uint32_t windowId,
                                                  NerlaWindow win, uintptr_t deviceContext) {
    return guarded(0, [&] {
        IDirectShow* target = nerla::ChannelList::instance().find(channel);
        if (!target) {
            return 0;
        }
        if (!target->videoRenderer()) {
            nerla::setError(NERLA_ERROR_NOVIDEO);
            return 1;
        }
        IVideoRenderer2* renderer = target->windowRenderer(windowId);
        return renderer ? renderer->RepaintFrame(win, deviceContext) : 1;
    });
}

NERLA_API NerlaBitmap* NERLA_CALL Nerla_ChannelGetBitmap(NerlaHandle channel, uint32_t windowId) {
    return onWindow<NerlaBitmap*>(channel, windowId, nullptr, nullptr,
                                  [](IVideoRenderer2& renderer) { return renderer.GrabBitmap(); });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelOverlayBMP(NerlaHandle channel, uint32_t windowId,
                                                     const void* overlay) {
    return onWindow(channel, windowId, 0, 0, [&](IVideoRenderer2& renderer) {
        return renderer.SetOverlay(static_cast<const NerlaOverlayBitmap*>(overlay));
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelSetColorValue(NerlaHandle channel, uint32_t windowId,
                                                        int32_t control, float value) {
    return onWindow(channel, windowId, 0, 0, [&](IVideoRenderer2& renderer) {
        return renderer.SetColorControl(control, value);
    });
}

// The control number is taken from the record.
NERLA_API int32_t NERLA_CALL Nerla_ChannelColorRange(NerlaHandle channel, uint32_t windowId,
                                                     int32_t /*control*/, NerlaColorRange* range) {
    return onWindow(channel, windowId, 0, 0, [&](IVideoRenderer2& renderer) {
        return range ? renderer.GetColorControlRange(*range) : 0;
    });
}

}  // extern "C"
