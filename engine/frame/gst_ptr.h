// Owning smart pointers for GLib and GStreamer objects.
#pragma once

#include <gst/gst.h>

#include <memory>

namespace nerla {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GstCapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
struct GstBufferUnref {
    void operator()(GstBuffer* buffer) const { gst_buffer_unref(buffer); }
};
struct GstSampleUnref {
    void operator()(GstSample* sample) const { gst_sample_unref(sample); }
};
struct GstEventUnref {
    void operator()(GstEvent* event) const { gst_event_unref(event); }
};
struct GstMessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct GSourceUnref {
    void operator()(GSource* source) const {
        g_source_destroy(source);
        g_source_unref(source);
    }
};
struct GMainContextUnref {
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
};
struct GVariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};

template <typename T>
using GstPtr = std::unique_ptr<T, GstObjectUnref>;
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
using CapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using BufferPtr = std::unique_ptr<GstBuffer, GstBufferUnref>;
using SamplePtr = std::unique_ptr<GstSample, GstSampleUnref>;
using EventPtr = std::unique_ptr<GstEvent, GstEventUnref>;
using MessagePtr = std::unique_ptr<GstMessage, GstMessageUnref>;
using ErrorPtr = std::unique_ptr<GError, GErrorFree>;
using GCharPtr = std::unique_ptr<gchar, GFree>;
using SourcePtr = std::unique_ptr<GSource, GSourceUnref>;
using MainContextPtr = std::unique_ptr<GMainContext, GMainContextUnref>;
using VariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

// Takes a new reference for the pointer (for borrowed objects).
template <typename T>
GstPtr<T> refGst(T* object) {
    return GstPtr<T>(object ? static_cast<T*>(gst_object_ref(object)) : nullptr);
}

}  // namespace nerla
