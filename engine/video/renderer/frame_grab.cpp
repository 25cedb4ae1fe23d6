#include "video/renderer/frame_grab.h"

#include <gst/base/gstbasesink.h>
#include <gst/video/video.h>

#include <cstdlib>
#include <cstring>

#include "frame/gst_ptr.h"
#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

constexpr GstClockTime kConvertTimeout = 5 * GST_SECOND;

// The sink element that keeps the last sample: `element` itself or the
// first base sink inside it.
GstPtr<GstElement> baseSinkOf(GstElement* element) {
    if (!element) {
        return nullptr;
    }
    if (GST_IS_BASE_SINK(element) || !GST_IS_BIN(element)) {
        return refGst(element);
    }
    GstPtr<GstElement> found;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(element));
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* child = GST_ELEMENT(g_value_get_object(&item));
        if (GST_IS_BASE_SINK(child)) {
            found = refGst(child);
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

// Frames in GPU memory are read back through their mapping.
SamplePtr inSystemMemory(GstSample* sample) {
    GstCaps* caps = gst_sample_get_caps(sample);
    if (!caps || gst_caps_is_empty(caps)) {
        return nullptr;
    }
    CapsPtr plain(gst_caps_copy(caps));
    gst_caps_set_features(plain.get(), 0, gst_caps_features_new_empty());
    return SamplePtr(gst_sample_new(gst_sample_get_buffer(sample), plain.get(),
                                    gst_sample_get_segment(sample), nullptr));
}

}  // namespace

NerlaBitmap* grabFrame(GstElement* sink) {
    GstPtr<GstElement> base = baseSinkOf(sink);
    if (!base || !g_object_class_find_property(G_OBJECT_GET_CLASS(base.get()), "last-sample")) {
        return nullptr;
    }
    GstSample* raw = nullptr;
    g_object_get(base.get(), "last-sample", &raw, nullptr);
    SamplePtr last(raw);
    if (!last || !gst_sample_get_buffer(last.get())) {
        return nullptr;
    }
    SamplePtr source = inSystemMemory(last.get());
    if (!source) {
        return nullptr;
    }
    CapsPtr wanted(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRA", nullptr));
    GError* rawError = nullptr;
    SamplePtr converted(
        gst_video_convert_sample(source.get(), wanted.get(), kConvertTimeout, &rawError));
    ErrorPtr error(rawError);
    if (!converted) {
        GST_WARNING("cannot convert the last frame: %s", error ? error->message : "?");
        return nullptr;
    }
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(converted.get()))) {
        return nullptr;
    }
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, gst_sample_get_buffer(converted.get()), GST_MAP_READ)) {
        return nullptr;
    }
    const int32_t width = GST_VIDEO_FRAME_WIDTH(&frame);
    const int32_t height = GST_VIDEO_FRAME_HEIGHT(&frame);
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    auto* block = static_cast<uint8_t*>(std::malloc(sizeof(NerlaBitmap) + rowBytes * height));
    if (!block) {
        gst_video_frame_unmap(&frame);
        return nullptr;
    }
    auto* bitmap = reinterpret_cast<NerlaBitmap*>(block);
    bitmap->width = width;
    bitmap->height = height;
    bitmap->stride = static_cast<int32_t>(rowBytes);
    bitmap->pixels = block + sizeof(NerlaBitmap);
    const auto* data = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const int sourceStride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(bitmap->pixels + static_cast<size_t>(y) * rowBytes,
                    data + static_cast<size_t>(y) * sourceStride, rowBytes);
    }
    gst_video_frame_unmap(&frame);
    return bitmap;
}

}  // namespace nerla
