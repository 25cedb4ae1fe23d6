#include "graph/graph_events.h"

#include "frame/gst_ptr.h"

namespace nerla {
namespace {

uintptr_t packSize(int width, int height) {
    return (static_cast<uintptr_t>(width) & 0xFFFF) |
           ((static_cast<uintptr_t>(height) & 0xFFFF) << 16);
}

bool fromSink(GstMessage* message) {
    GstObject* source = GST_MESSAGE_SRC(message);
    return source && GST_IS_ELEMENT(source) &&
           GST_OBJECT_FLAG_IS_SET(source, GST_ELEMENT_FLAG_SINK);
}

}  // namespace

GstMessage* newRepaintMessage(GstObject* source) {
    return gst_message_new_element(source, gst_structure_new_empty(kRepaintMessage));
}

GstMessage* newVideoSizeMessage(GstObject* source, int width, int height) {
    return gst_message_new_element(
        source, gst_structure_new(kVideoSizeMessage, "width", G_TYPE_INT, width, "height",
                                  G_TYPE_INT, height, nullptr));
}

GraphEvent graphEventOf(GstMessage* message, GstPipeline* pipeline) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            return {GraphEventCode::Complete, 0};
        case GST_MESSAGE_ELEMENT: {
            const GstStructure* s = gst_message_get_structure(message);
            if (gst_structure_has_name(s, kRepaintMessage)) {
                return {GraphEventCode::Repaint, 0};
            }
            int width = 0;
            int height = 0;
            if (gst_structure_has_name(s, kVideoSizeMessage) &&
                gst_structure_get_int(s, "width", &width) &&
                gst_structure_get_int(s, "height", &height)) {
                return {GraphEventCode::VideoSizeChanged, packSize(width, height)};
            }
            return {};
        }
        case GST_MESSAGE_STATE_CHANGED: {
            if (GST_MESSAGE_SRC(message) != GST_OBJECT(pipeline)) {
                return {};
            }
            GstState now = GST_STATE_VOID_PENDING;
            GstState pending = GST_STATE_VOID_PENDING;
            gst_message_parse_state_changed(message, nullptr, &now, &pending);
            if (now == GST_STATE_PAUSED && pending == GST_STATE_VOID_PENDING) {
                return {GraphEventCode::Paused, 0};
            }
            return {};
        }
        case GST_MESSAGE_ERROR: {
            // A sink losing its device (sound server gone, GL context lost).
            GError* raw = nullptr;
            gst_message_parse_error(message, &raw, nullptr);
            const ErrorPtr error(raw);
            const bool lost = error && error->domain == GST_RESOURCE_ERROR && fromSink(message);
            return lost ? GraphEvent{GraphEventCode::DeviceLost, 0} : GraphEvent{};
        }
        default:
            return {};
    }
}

}  // namespace nerla
