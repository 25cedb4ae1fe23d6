#include "video/renderer/null_video_sink.h"

#include <gst/video/gstvideosink.h>

#include <mutex>

G_BEGIN_DECLS
#define NERLA_TYPE_NULL_VIDEO_SINK (nerla_null_video_sink_get_type())
G_DECLARE_FINAL_TYPE(NerlaNullVideoSink, nerla_null_video_sink, NERLA, NULL_VIDEO_SINK,
                     GstVideoSink)
G_END_DECLS

struct _NerlaNullVideoSink {
    GstVideoSink parent;
};

G_DEFINE_TYPE(NerlaNullVideoSink, nerla_null_video_sink, GST_TYPE_VIDEO_SINK)

// Any raw video, in any memory.
static GstStaticPadTemplate sinkTemplate = GST_STATIC_PAD_TEMPLATE(
    "sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-raw(ANY)"));

static GstFlowReturn nerla_null_video_sink_show_frame(GstVideoSink*, GstBuffer*) {
    return GST_FLOW_OK;
}

static void nerla_null_video_sink_class_init(NerlaNullVideoSinkClass* klass) {
    GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
    gst_element_class_set_static_metadata(elementClass, "NULL Video Renderer", "Sink/Video",
                                          "Discards decoded video at the clock's pace", "Nerla");
    gst_element_class_add_static_pad_template(elementClass, &sinkTemplate);
    GST_VIDEO_SINK_CLASS(klass)->show_frame = nerla_null_video_sink_show_frame;
}

static void nerla_null_video_sink_init(NerlaNullVideoSink* self) {
    gst_base_sink_set_sync(GST_BASE_SINK(self), TRUE);
}

namespace nerla {

bool registerNullVideoSink() {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        registered = gst_element_register(nullptr, kNullVideoSinkFactory, GST_RANK_NONE,
                                          NERLA_TYPE_NULL_VIDEO_SINK);
    });
    return registered;
}

GstElement* makeNullVideoSink() {
    if (!registerNullVideoSink()) {
        return nullptr;
    }
    return gst_element_factory_make(kNullVideoSinkFactory, kNullVideoSinkName);
}

}  // namespace nerla
