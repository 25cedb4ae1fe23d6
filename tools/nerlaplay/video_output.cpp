#include "video_output.h"

#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <cstdio>

// The window and attribute exports come with their own parts of the engine;
// a build without them leaves these null.
#pragma weak Nerla_ChannelSetAttribute
#pragma weak Nerla_ChannelSetWindow
#pragma weak Nerla_ChannelResizeWindow
#pragma weak Nerla_ChannelRepaint

namespace {

GstElement* findPresenterSink(GstPipeline* pipeline) {
    if (!pipeline) {
        return nullptr;
    }
    GstElement* found = nullptr;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory && g_str_equal(GST_OBJECT_NAME(factory), "nerlavideosink")) {
            found = GST_ELEMENT(gst_object_ref(element));
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

}  // namespace

VideoOutput::VideoOutput(NerlaHandle channel, GstPipeline* pipeline)
    : channel_(channel), sink_(findPresenterSink(pipeline)) {}

VideoOutput::~VideoOutput() {
    if (sink_) {
        gst_object_unref(sink_);
    }
}

bool VideoOutput::setViewValue(int value) {
    if (Nerla_ChannelSetAttribute) {
        return Nerla_ChannelSetAttribute(channel_, NERLA_ATTRIB_VIEW, static_cast<float>(value)) !=
               0;
    }
    if (!sink_) {
        return false;
    }
    g_object_set(sink_, "view-value", value, nullptr);
    return true;
}

bool VideoOutput::bindWindow(NerlaWindow window) {
    if (Nerla_ChannelSetWindow) {
        Nerla_ChannelSetWindow(channel_, 0, window);
        return true;
    }
    if (!sink_) {
        return false;
    }
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink_), window);
    return true;
}

bool VideoOutput::resize(int width, int height) {
    if (Nerla_ChannelResizeWindow) {
        Nerla_ChannelResizeWindow(channel_, 0, 0, 0, width, height);
        return true;
    }
    if (!sink_) {
        return false;
    }
    gst_video_overlay_set_render_rectangle(GST_VIDEO_OVERLAY(sink_), 0, 0, width, height);
    return true;
}

bool VideoOutput::repaint(NerlaWindow window) {
    if (Nerla_ChannelRepaint) {
        Nerla_ChannelRepaint(channel_, 0, window, 0);
        return true;
    }
    if (!sink_) {
        return false;
    }
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(sink_));
    return true;
}

uint64_t VideoOutput::framesPresented() const {
    guint64 frames = 0;
    if (sink_) {
        g_object_get(sink_, "frames-presented", &frames, nullptr);
    }
    return frames;
}

bool VideoOutput::writeSnapshot(const std::string& path) const {
    if (!sink_) {
        std::fprintf(stderr, "nerlaplay: no stereoscopic renderer to take a snapshot of\n");
        return false;
    }
    GstSample* picture = nullptr;
    g_signal_emit_by_name(sink_, "grab-presented", &picture);
    if (!picture) {
        std::fprintf(stderr, "nerlaplay: nothing presented yet\n");
        return false;
    }
    GError* error = nullptr;
    GstCaps* png = gst_caps_new_empty_simple("image/png");
    GstSample* encoded = gst_video_convert_sample(picture, png, 10 * GST_SECOND, &error);
    gst_caps_unref(png);
    gst_sample_unref(picture);
    if (!encoded) {
        std::fprintf(stderr, "nerlaplay: cannot encode the snapshot: %s\n",
                     error ? error->message : "?");
        g_clear_error(&error);
        return false;
    }
    GstMapInfo map;
    GstBuffer* buffer = gst_sample_get_buffer(encoded);
    bool written = false;
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        if (FILE* file = std::fopen(path.c_str(), "wb")) {
            written = std::fwrite(map.data, 1, map.size, file) == map.size;
            written = std::fclose(file) == 0 && written;
        }
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(encoded);
    if (!written) {
        std::fprintf(stderr, "nerlaplay: cannot write %s\n", path.c_str());
    }
    return written;
}
