#include "video/renderer/window_sinks.h"

#include <gst/video/colorbalance.h>

#include <cstdlib>
#include <string_view>
#include <utility>

#include "frame/log.h"
#include "frame/x11_display.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

const char* factoryOf(WindowSinkKind kind) {
    switch (kind) {
        case WindowSinkKind::XImage:
            return "ximagesink";
        case WindowSinkKind::XVideo:
            return "xvimagesink";
        case WindowSinkKind::OpenGL:
            return "glimagesink";
    }
    return "ximagesink";
}

// The four controls of a video processing amplifier.
bool hasPictureControls(GstElement* sink) {
    if (!GST_IS_COLOR_BALANCE(sink)) {
        return false;
    }
    int found = 0;
    for (const GList* item = gst_color_balance_list_channels(GST_COLOR_BALANCE(sink)); item;
         item = item->next) {
        const std::string_view label = GST_COLOR_BALANCE_CHANNEL(item->data)->label;
        for (const char* wanted : {"BRIGHTNESS", "CONTRAST", "HUE", "SATURATION"}) {
            if (label.find(wanted) != std::string_view::npos) {
                ++found;
            }
        }
    }
    return found >= 4;
}

// The sink opens its display on the way to READY.
WindowSink probe(const char* factory) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (!element) {
        GST_INFO("%s is not installed", factory);
        return {};
    }
    GstPtr<GstElement> owned(GST_ELEMENT(gst_object_ref_sink(element)));
    if (gst_element_set_state(element, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        GST_INFO("%s cannot open the display", factory);
        gst_element_set_state(element, GST_STATE_NULL);
        return {};
    }
    const bool balance = hasPictureControls(element);
    gst_element_set_state(element, GST_STATE_NULL);
    return {std::move(owned), balance};
}

}  // namespace

WindowSink makeWindowSink(WindowSinkKind kind) {
    if (!std::getenv("DISPLAY") || !X11Display::available()) {
        GST_INFO("no display: no %s", factoryOf(kind));
        return {};
    }
    WindowSink sink = probe(factoryOf(kind));
    if (!sink.element && kind == WindowSinkKind::XVideo) {
        GST_INFO("no XVideo; drawing with ximagesink");
        sink = probe(factoryOf(WindowSinkKind::XImage));
    }
    return sink;
}

}  // namespace nerla
