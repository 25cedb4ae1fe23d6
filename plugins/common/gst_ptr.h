// Owning smart pointers for the GLib and GStreamer objects the plug-ins hold.
#pragma once

#include <gst/gst.h>

#include <memory>

namespace plugin {

struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GstCapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
struct GstEventUnref {
    void operator()(GstEvent* event) const { gst_event_unref(event); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};

template <typename T>
using GstPtr = std::unique_ptr<T, GstObjectUnref>;
using CapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using EventPtr = std::unique_ptr<GstEvent, GstEventUnref>;
using GCharPtr = std::unique_ptr<gchar, GFree>;

// Takes a new reference for the pointer (for borrowed objects).
template <typename T>
GstPtr<T> refGst(T* object) {
    return GstPtr<T>(object ? static_cast<T*>(gst_object_ref(object)) : nullptr);
}

}  // namespace plugin
