#include "video/renderer/basic_video_renderer.h"

#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include "frame/log.h"
#include "graph/direct_show.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {

bool CBasicVideoRenderer::AttachToGraph(IDirectShow& channel, GstPad* /*upstream*/) {
    sink_ = refGst(channel.graphVideoSink());
    if (!sink_) {
        return false;
    }
    sinkPad_.reset(gst_element_get_static_pad(sink_.get(), "sink"));
    return sinkPad_ != nullptr;
}

bool CBasicVideoRenderer::VerifyConnection(IDirectShow& /*channel*/) {
    return sinkPad_ && gst_pad_is_linked(sinkPad_.get());
}

bool CBasicVideoRenderer::QueryVideoInfo(NerlaChannelInfo& info) {
    if (!sinkPad_) {
        return false;
    }
    CapsPtr caps(gst_pad_get_current_caps(sinkPad_.get()));
    GstVideoInfo video;
    if (!caps || !gst_video_info_from_caps(&video, caps.get())) {
        return false;
    }
    info.videoWidth = GST_VIDEO_INFO_WIDTH(&video);
    info.videoHeight = GST_VIDEO_INFO_HEIGHT(&video);
    info.framesPerSecond = GST_VIDEO_INFO_FPS_N(&video) > 0 && GST_VIDEO_INFO_FPS_D(&video) > 0
                               ? static_cast<float>(GST_VIDEO_INFO_FPS_N(&video)) /
                                     static_cast<float>(GST_VIDEO_INFO_FPS_D(&video))
                               : 25.0f;
    return true;
}

int32_t CBasicVideoRenderer::BindWindow(NerlaWindow window, const NerlaRect* rect) {
    if (!sink_) {
        return 0;
    }
    if (!window) {
        return 1;  // the sink keeps the window it made itself
    }
    GstElement* overlayElement =
        GST_IS_VIDEO_OVERLAY(sink_.get())
            ? GST_ELEMENT(gst_object_ref(sink_.get()))
            : (GST_IS_BIN(sink_.get())
                   ? gst_bin_get_by_interface(GST_BIN(sink_.get()), GST_TYPE_VIDEO_OVERLAY)
                   : nullptr);
    GstPtr<GstElement> overlay(overlayElement);
    if (!overlay) {
        GST_DEBUG("video sink shows no window; nothing to bind");
        return 1;
    }
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlay.get()), window);
    if (rect) {
        gst_video_overlay_set_render_rectangle(GST_VIDEO_OVERLAY(overlay.get()), rect->left,
                                               rect->top, rect->right - rect->left,
                                               rect->bottom - rect->top);
    }
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay.get()));
    return 1;
}

void CBasicVideoRenderer::Destroy() {
    sinkPad_.reset();
    sink_.reset();
}

}  // namespace nerla
