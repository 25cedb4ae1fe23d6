#include "graph/video_size_watch.h"

#include <gst/video/video.h>

#include "frame/log.h"
#include "graph/graph_events.h"

#define GST_CAT_DEFAULT nerla_graph_debug

namespace nerla {

void VideoSizeWatch::watch(GstPad* pad) {
    stop();
    if (!pad) {
        return;
    }
    pad_ = refGst(pad);
    CapsPtr caps(gst_pad_get_current_caps(pad));
    if (caps) {
        checkCaps(pad, caps.get(), false);
    }
    probe_ = gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &VideoSizeWatch::onEvent,
                               this, nullptr);
}

void VideoSizeWatch::stop() {
    if (pad_ && probe_) {
        gst_pad_remove_probe(pad_.get(), probe_);
    }
    probe_ = 0;
    pad_.reset();
}

GstPadProbeReturn VideoSizeWatch::onEvent(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        static_cast<VideoSizeWatch*>(self)->checkCaps(pad, caps, true);
    }
    return GST_PAD_PROBE_OK;
}

void VideoSizeWatch::checkCaps(GstPad* pad, GstCaps* caps, bool report) {
    GstVideoInfo video;
    if (!caps || !gst_video_info_from_caps(&video, caps)) {
        return;
    }
    const int width = GST_VIDEO_INFO_WIDTH(&video);
    const int height = GST_VIDEO_INFO_HEIGHT(&video);
    const uint32_t size =
        (static_cast<uint32_t>(width) & 0xFFFF) | ((static_cast<uint32_t>(height) & 0xFFFF) << 16);
    const uint32_t before = size_.exchange(size);
    if (!report || before == size || before == 0) {
        return;
    }
    GST_DEBUG("native video size now %dx%d", width, height);
    GstPtr<GstElement> element(gst_pad_get_parent_element(pad));
    if (element) {
        gst_element_post_message(element.get(),
                                 newVideoSizeMessage(GST_OBJECT(element.get()), width, height));
    }
}

}  // namespace nerla
