#include "video/presenter/video_sink.h"

#include <gst/video/gstvideosink.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <mutex>

#include "frame/gst_ptr.h"
#include "frame/log.h"
#include "graph/graph_events.h"
#include "video/presenter/allocator.h"

#define GST_CAT_DEFAULT nerla_video_debug

// The formats the frame planes carry as they come.
#define NERLA_VIDEO_SINK_CAPS GST_VIDEO_CAPS_MAKE("{ I420, YV12, NV12, RGBx, RGBA, BGRx, BGRA }")

namespace {

enum { PROP_0, PROP_VIEW_VALUE, PROP_FRAMES };

}  // namespace

G_BEGIN_DECLS
#define NERLA_TYPE_VIDEO_SINK (nerla_video_sink_get_type())
G_DECLARE_FINAL_TYPE(NerlaVideoSink, nerla_video_sink, NERLA, VIDEO_SINK, GstVideoSink)
G_END_DECLS

struct _NerlaVideoSink {
    GstVideoSink parent;
    std::shared_ptr<nerla::CAllocator>* presenter;
};

static void nerla_video_sink_overlay_init(GstVideoOverlayInterface* iface);

G_DEFINE_TYPE_WITH_CODE(NerlaVideoSink, nerla_video_sink, GST_TYPE_VIDEO_SINK,
                        G_IMPLEMENT_INTERFACE(GST_TYPE_VIDEO_OVERLAY,
                                              nerla_video_sink_overlay_init))

static GstStaticPadTemplate sinkTemplate = GST_STATIC_PAD_TEMPLATE(
    "sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(NERLA_VIDEO_SINK_CAPS));

static nerla::CAllocator* presenterOf(gpointer object) {
    auto* sink = NERLA_VIDEO_SINK(object);
    return sink->presenter && *sink->presenter ? sink->presenter->get() : nullptr;
}

static void nerla_video_sink_set_property(GObject* object, guint id, const GValue* value,
                                          GParamSpec* pspec) {
    nerla::CAllocator* presenter = presenterOf(object);
    switch (id) {
        case PROP_VIEW_VALUE:
            if (presenter) {
                presenter->SelectView(g_value_get_int(value));
            }
            break;
        default:
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
            break;
    }
}

static void nerla_video_sink_get_property(GObject* object, guint id, GValue* value,
                                          GParamSpec* pspec) {
    nerla::CAllocator* presenter = presenterOf(object);
    switch (id) {
        case PROP_VIEW_VALUE:
            g_value_set_int(value, presenter ? presenter->scene().viewMode() : 0);
            break;
        case PROP_FRAMES:
            g_value_set_uint64(value, presenter ? presenter->framesPresented() : 0);
            break;
        default:
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
            break;
    }
}

static gboolean nerla_video_sink_set_caps(GstBaseSink* base, GstCaps* caps) {
    GstVideoInfo info;
    nerla::CAllocator* presenter = presenterOf(base);
    if (!presenter || !gst_video_info_from_caps(&info, caps)) {
        return FALSE;
    }
    GST_VIDEO_SINK_WIDTH(base) = GST_VIDEO_INFO_WIDTH(&info);
    GST_VIDEO_SINK_HEIGHT(base) = GST_VIDEO_INFO_HEIGHT(&info);
    return presenter->InitializeDevice(info) ? TRUE : FALSE;
}

static GstFlowReturn nerla_video_sink_show_frame(GstVideoSink* base, GstBuffer* buffer) {
    nerla::CAllocator* presenter = presenterOf(base);
    if (!presenter) {
        return GST_FLOW_ERROR;
    }
    if (!presenter->PresentImage(buffer)) {
        GST_ELEMENT_WARNING(base, STREAM, DECODE, ("frame cannot be read"), (nullptr));
    }
    return GST_FLOW_OK;
}

// A random-access GL upload wants no buffer pool of ours: system memory.
static gboolean nerla_video_sink_propose_allocation(GstBaseSink*, GstQuery* query) {
    gst_query_add_allocation_meta(query, GST_VIDEO_META_API_TYPE, nullptr);
    return TRUE;
}

// The presented picture drawn again offscreen at the target's size, or null.
static GstSample* nerla_video_sink_grab(NerlaVideoSink* sink) {
    nerla::CAllocator* presenter = presenterOf(sink);
    std::optional<nerla::CAllocator::Picture> picture =
        presenter ? presenter->GrabPresented() : std::nullopt;
    if (!picture) {
        return nullptr;
    }
    nerla::BufferPtr buffer(gst_buffer_new_memdup(picture->rgba.data(), picture->rgba.size()));
    nerla::CapsPtr caps(gst_caps_new_simple(
        "video/x-raw", "format", G_TYPE_STRING, "RGBA", "width", G_TYPE_INT, picture->width,
        "height", G_TYPE_INT, picture->height, "framerate", GST_TYPE_FRACTION, 0, 1, nullptr));
    return gst_sample_new(buffer.get(), caps.get(), nullptr, nullptr);
}

static void nerla_video_sink_finalize(GObject* object) {
    auto* sink = NERLA_VIDEO_SINK(object);
    if (*sink->presenter) {
        (*sink->presenter)->setExposeHandler({});
    }
    delete sink->presenter;  // the C object's C++ member
    sink->presenter = nullptr;
    G_OBJECT_CLASS(nerla_video_sink_parent_class)->finalize(object);
}

static void nerla_video_sink_class_init(NerlaVideoSinkClass* klass) {
    GObjectClass* objectClass = G_OBJECT_CLASS(klass);
    GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
    GstBaseSinkClass* baseClass = GST_BASE_SINK_CLASS(klass);
    GstVideoSinkClass* videoClass = GST_VIDEO_SINK_CLASS(klass);

    objectClass->set_property = nerla_video_sink_set_property;
    objectClass->get_property = nerla_video_sink_get_property;
    objectClass->finalize = nerla_video_sink_finalize;
    g_object_class_install_property(
        objectClass, PROP_VIEW_VALUE,
        g_param_spec_int("view-value", "View value",
                         "Stereoscopic view value: 0..12 mode, 666/667 eye swap, 9000 and above "
                         "eye factor; reads the view mode",
                         0, G_MAXINT, 0,
                         static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
    g_object_class_install_property(
        objectClass, PROP_FRAMES,
        g_param_spec_uint64("frames-presented", "Frames presented", "Frames drawn and presented", 0,
                            G_MAXUINT64, 0,
                            static_cast<GParamFlags>(G_PARAM_READABLE | G_PARAM_STATIC_STRINGS)));
    // The presented picture drawn again offscreen at the target's size (RGBA).
    g_signal_new_class_handler("grab-presented", G_TYPE_FROM_CLASS(klass),
                               static_cast<GSignalFlags>(G_SIGNAL_RUN_LAST | G_SIGNAL_ACTION),
                               G_CALLBACK(nerla_video_sink_grab), nullptr, nullptr, nullptr,
                               GST_TYPE_SAMPLE, 0);

    gst_element_class_set_static_metadata(elementClass, nerla::kVideoSinkName, "Sink/Video",
                                          "Presents frames through the stereoscopic scene",
                                          "Nerla");
    gst_element_class_add_static_pad_template(elementClass, &sinkTemplate);
    baseClass->set_caps = nerla_video_sink_set_caps;
    baseClass->propose_allocation = nerla_video_sink_propose_allocation;
    videoClass->show_frame = nerla_video_sink_show_frame;
}

static void nerla_video_sink_init(NerlaVideoSink* sink) {
    sink->presenter = new std::shared_ptr<nerla::CAllocator>();
}

static void nerla_video_sink_set_window_handle(GstVideoOverlay* overlay, guintptr handle) {
    if (nerla::CAllocator* presenter = presenterOf(overlay); presenter && handle) {
        presenter->SetVideoClippingWindow(handle);
    }
}

static void nerla_video_sink_set_render_rectangle(GstVideoOverlay* overlay, gint x, gint y,
                                                  gint width, gint height) {
    if (nerla::CAllocator* presenter = presenterOf(overlay); presenter && width > 0 && height > 0) {
        presenter->SetDevicePosition(NerlaRect{x, y, x + width, y + height});
    }
}

static void nerla_video_sink_expose(GstVideoOverlay* overlay) {
    if (nerla::CAllocator* presenter = presenterOf(overlay)) {
        presenter->RepaintVideo();
    }
}

static void nerla_video_sink_overlay_init(GstVideoOverlayInterface* iface) {
    iface->set_window_handle = nerla_video_sink_set_window_handle;
    iface->set_render_rectangle = nerla_video_sink_set_render_rectangle;
    iface->expose = nerla_video_sink_expose;
}

namespace nerla {

bool registerVideoSink() {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        registered =
            ensureGstreamer() &&
            gst_element_register(nullptr, kVideoSinkFactory, GST_RANK_NONE, NERLA_TYPE_VIDEO_SINK);
    });
    return registered;
}

GstElement* makeVideoSink(std::shared_ptr<CAllocator> presenter, const char* name) {
    if (!presenter || !registerVideoSink()) {
        return nullptr;
    }
    GstElement* element = gst_element_factory_make(kVideoSinkFactory, name);
    if (!element) {
        return nullptr;
    }
    auto* sink = NERLA_VIDEO_SINK(element);
    *sink->presenter = presenter;
    // An expose of the target asks the host for a repaint.
    presenter->setExposeHandler(
        [element] { gst_element_post_message(element, newRepaintMessage(GST_OBJECT(element))); });
    return element;
}

}  // namespace nerla
