#include "video/renderer/video_mixer.h"

#include <gst/video/video.h>

#include <algorithm>
#include <cmath>

#include "frame/log.h"
#include "video/renderer/overlay_picture.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

constexpr int kCompositorBlackBackground = 1;
constexpr int kSeekableStream = 1;  // GST_APP_STREAM_TYPE_SEEKABLE
constexpr const char* kPictureKey = "nerla-overlay-picture";

// One picture, kept after its end for as long as the video lasts; a picture
// without duration stands until replaced. Asked for at the start and after
// every flushing seek.
void pushPicture(GstElement* source, guint /*length*/, gpointer /*unused*/) {
    auto* picture = static_cast<GstBuffer*>(g_object_get_data(G_OBJECT(source), kPictureKey));
    if (!picture) {
        return;
    }
    GstBuffer* buffer = gst_buffer_copy(picture);  // shares the memory
    GST_BUFFER_PTS(buffer) = 0;
    GST_BUFFER_DURATION(buffer) = GST_CLOCK_TIME_NONE;
    GstFlowReturn pushed = GST_FLOW_ERROR;
    g_signal_emit_by_name(source, "push-buffer", buffer, &pushed);
    gst_buffer_unref(buffer);
    g_signal_emit_by_name(source, "end-of-stream", &pushed);
}

// The picture is the same at every position.
gboolean acceptSeek(GstElement* /*source*/, guint64 /*offset*/, gpointer /*unused*/) {
    return TRUE;
}

bool validRect(const NormalRect& rect) {
    return std::isfinite(rect.left) && std::isfinite(rect.top) && std::isfinite(rect.right) &&
           std::isfinite(rect.bottom) && rect.right > rect.left && rect.bottom > rect.top;
}

void place(GstPad* pad, const NormalRect& rect, int32_t width, int32_t height) {
    if (!pad || width <= 0 || height <= 0) {
        return;
    }
    const auto x = static_cast<gint>(std::lround(rect.left * static_cast<float>(width)));
    const auto y = static_cast<gint>(std::lround(rect.top * static_cast<float>(height)));
    const auto w = static_cast<gint>(std::lround((rect.right - rect.left) * width));
    const auto h = static_cast<gint>(std::lround((rect.bottom - rect.top) * height));
    g_object_set(pad, "xpos", x, "ypos", y, "width", std::max(w, 1), "height", std::max(h, 1),
                 nullptr);
}

}  // namespace

VideoMixer::~VideoMixer() {
    release();
}

bool VideoMixer::build(GstBin* bin, int32_t streams) {
    GstElement* compositor = gst_element_factory_make("compositor", nullptr);
    GstElement* sizeFilter = gst_element_factory_make("capsfilter", nullptr);
    if (!compositor || !sizeFilter) {
        GST_WARNING("compositor or capsfilter missing");
        if (compositor) {
            gst_object_unref(gst_object_ref_sink(compositor));
        }
        if (sizeFilter) {
            gst_object_unref(gst_object_ref_sink(sizeFilter));
        }
        return false;
    }
    compositor_.reset(GST_ELEMENT(gst_object_ref_sink(compositor)));
    sizeFilter_.reset(GST_ELEMENT(gst_object_ref_sink(sizeFilter)));
    g_object_set(compositor, "background", kCompositorBlackBackground, nullptr);
    bin_ = refGst(bin);
    if (!gst_bin_add(bin, compositor) || !gst_bin_add(bin, sizeFilter) ||
        !gst_element_link(compositor, sizeFilter)) {
        return false;
    }
    videoPad_.reset(gst_element_request_pad_simple(compositor, "sink_%u"));
    if (!videoPad_) {
        return false;
    }
    g_object_set(videoPad_.get(), "zorder", 0u, nullptr);
    probe_ = gst_pad_add_probe(videoPad_.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
                               &VideoMixer::onVideoEvent, this, nullptr);
    std::lock_guard guard(lock_);
    streams_.assign(static_cast<size_t>(std::max(streams, 1)), Stream{});
    return true;
}

void VideoMixer::release() {
    {
        std::lock_guard guard(lock_);
        removeOverlay();
    }
    if (videoPad_ && probe_) {
        gst_pad_remove_probe(videoPad_.get(), probe_);
    }
    probe_ = 0;
    videoPad_.reset();
    sizeFilter_.reset();
    compositor_.reset();
    bin_.reset();
}

GstPadProbeReturn VideoMixer::onVideoEvent(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer self) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        GstVideoInfo video;
        if (caps && gst_video_info_from_caps(&video, caps)) {
            static_cast<VideoMixer*>(self)->videoSizeChanged(GST_VIDEO_INFO_WIDTH(&video),
                                                             GST_VIDEO_INFO_HEIGHT(&video));
        }
    }
    return GST_PAD_PROBE_OK;
}

void VideoMixer::videoSizeChanged(int32_t width, int32_t height) {
    std::lock_guard guard(lock_);
    if (width == width_ && height == height_) {
        return;
    }
    width_ = width;
    height_ = height;
    CapsPtr size(gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, width, "height",
                                     G_TYPE_INT, height, nullptr));
    g_object_set(sizeFilter_.get(), "caps", size.get(), nullptr);
    placeVideo();
    placeOverlay();
}

void VideoMixer::placeVideo() {
    if (!streams_.empty()) {
        place(videoPad_.get(), streams_[0].rect, width_, height_);
    }
}

void VideoMixer::placeOverlay() {
    place(overlayPad_.get(), overlayRect_, width_, height_);
}

bool VideoMixer::setAlpha(int32_t stream, float alpha) {
    std::lock_guard guard(lock_);
    if (stream < 0 || static_cast<size_t>(stream) >= streams_.size() || !std::isfinite(alpha) ||
        alpha < 0.0f || alpha > 1.0f) {
        return false;
    }
    streams_[static_cast<size_t>(stream)].alpha = alpha;
    if (stream == 0 && videoPad_) {
        g_object_set(videoPad_.get(), "alpha", static_cast<gdouble>(alpha), nullptr);
    }
    return true;
}

bool VideoMixer::alpha(int32_t stream, float& alpha) const {
    std::lock_guard guard(lock_);
    if (stream < 0 || static_cast<size_t>(stream) >= streams_.size()) {
        return false;
    }
    alpha = streams_[static_cast<size_t>(stream)].alpha;
    return true;
}

bool VideoMixer::setOutputRect(int32_t stream, const NormalRect& rect) {
    std::lock_guard guard(lock_);
    if (stream < 0 || static_cast<size_t>(stream) >= streams_.size() || !validRect(rect)) {
        return false;
    }
    streams_[static_cast<size_t>(stream)].rect = rect;
    if (stream == 0) {
        placeVideo();
    }
    return true;
}

bool VideoMixer::setOverlay(const NerlaOverlayBitmap* overlay) {
    if (!overlay) {
        return false;
    }
    if (overlay->show <= 0) {
        hideOverlay();
        return true;
    }
    return showOverlay(*overlay);
}

bool VideoMixer::showOverlay(const NerlaOverlayBitmap& overlay) {
    const NormalRect rect{overlay.destLeft, overlay.destTop, overlay.destRight, overlay.destBottom};
    if (!validRect(rect) || !std::isfinite(overlay.opacity) || overlay.opacity < 0.0f ||
        overlay.opacity > 1.0f) {
        return false;
    }
    OverlayPicture picture = makeOverlayPicture(overlay);
    if (!picture.pixels) {
        return false;
    }
    std::lock_guard guard(lock_);
    if (!compositor_ || !bin_) {
        return false;
    }
    removeOverlay();
    GstElement* source = gst_element_factory_make("appsrc", nullptr);
    if (!source) {
        return false;
    }
    overlaySource_.reset(GST_ELEMENT(gst_object_ref_sink(source)));
    CapsPtr caps(gst_caps_new_simple(
        "video/x-raw", "format", G_TYPE_STRING, "BGRA", "width", G_TYPE_INT, picture.width,
        "height", G_TYPE_INT, picture.height, "framerate", GST_TYPE_FRACTION, 0, 1, nullptr));
    // Seekable: a flushing seek reaches the overlay input too, which then
    // gets its picture again.
    g_object_set(source, "caps", caps.get(), "format", GST_FORMAT_TIME, "is-live", FALSE,
                 "stream-type", kSeekableStream, nullptr);
    g_object_set_data_full(G_OBJECT(source), kPictureKey, gst_buffer_ref(picture.pixels.get()),
                           reinterpret_cast<GDestroyNotify>(gst_buffer_unref));
    g_signal_connect(source, "need-data", G_CALLBACK(&pushPicture), nullptr);
    g_signal_connect(source, "seek-data", G_CALLBACK(&acceptSeek), nullptr);
    if (!gst_bin_add(bin_.get(), source)) {
        overlaySource_.reset();
        return false;
    }
    overlayPad_.reset(gst_element_request_pad_simple(compositor_.get(), "sink_%u"));
    GstPtr<GstPad> out(gst_element_get_static_pad(source, "src"));
    if (!overlayPad_ || gst_pad_link(out.get(), overlayPad_.get()) != GST_PAD_LINK_OK) {
        removeOverlay();
        return false;
    }
    g_object_set(overlayPad_.get(), "zorder", 1u, "alpha", static_cast<gdouble>(overlay.opacity),
                 "repeat-after-eos", TRUE, nullptr);
    overlayRect_ = rect;
    placeOverlay();
    gst_element_sync_state_with_parent(source);
    return true;
}

void VideoMixer::hideOverlay() {
    std::lock_guard guard(lock_);
    removeOverlay();
}

void VideoMixer::removeOverlay() {
    if (overlaySource_) {
        gst_element_set_locked_state(overlaySource_.get(), TRUE);
        gst_element_set_state(overlaySource_.get(), GST_STATE_NULL);
    }
    if (overlayPad_ && compositor_) {
        gst_element_release_request_pad(compositor_.get(), overlayPad_.get());
    }
    if (overlaySource_ && bin_) {
        gst_bin_remove(bin_.get(), overlaySource_.get());
    }
    overlayPad_.reset();
    overlaySource_.reset();
}

}  // namespace nerla
