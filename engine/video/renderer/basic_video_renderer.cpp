#include "video/renderer/basic_video_renderer.h"

#include <gst/video/videooverlay.h>

#include "frame/log.h"
#include "graph/direct_show.h"
#include "video/renderer/frame_grab.h"
#include "video/renderer/pad_video_info.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {

bool IBasicVideoRenderer::AttachToGraph(IDirectShow& channel, GstPad* /*upstream*/) {
    sink_ = refGst(channel.graphVideoSink());
    if (!sink_) {
        return false;
    }
    sinkPad_.reset(gst_element_get_static_pad(sink_.get(), "sink"));
    return sinkPad_ != nullptr;
}

bool IBasicVideoRenderer::VerifyConnection(IDirectShow& /*channel*/) {
    return sinkPad_ && gst_pad_is_linked(sinkPad_.get());
}

bool IBasicVideoRenderer::QueryVideoInfo(NerlaChannelInfo& info) {
    return videoInfoFromPad(sinkPad_.get(), info);
}

int32_t IBasicVideoRenderer::BindWindow(NerlaWindow window, const NerlaRect* rect) {
    if (!sink_) {
        return 0;
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
        return 0;
    }
    if (window) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlay.get()), window);
    }
    if (rect && rect->right > 0 && rect->bottom > 0) {
        gst_video_overlay_set_render_rectangle(GST_VIDEO_OVERLAY(overlay.get()), rect->left,
                                               rect->top, rect->right, rect->bottom);
    }
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay.get()));
    return 0;
}

NerlaBitmap* IBasicVideoRenderer::GrabBitmap() {
    return grabFrame(sink_.get());
}

void IBasicVideoRenderer::Destroy() {
    sinkPad_.reset();
    sink_.reset();
}

}  // namespace nerla
