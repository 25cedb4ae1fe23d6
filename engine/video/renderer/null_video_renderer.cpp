#include "video/renderer/null_video_renderer.h"

#include "frame/gst_ptr.h"
#include "graph/direct_show.h"
#include "video/renderer/null_video_sink.h"
#include "video/renderer/pad_video_info.h"

namespace nerla {

bool INullVideoRenderer::AttachToGraph(IDirectShow& channel, GstPad* upstream) {
    GstElement* sink = makeNullVideoSink();
    if (!sink) {
        return false;
    }
    // Names are unique in a pipeline: an extra window's sink takes a generated one.
    GstPtr<GstElement> named(gst_bin_get_by_name(GST_BIN(channel.GetGraph()), kNullVideoSinkName));
    if (named) {
        gst_object_set_name(GST_OBJECT(sink), nullptr);
    }
    return branch_.attach(channel.GetGraph(), sink, upstream);
}

// An unconnected sink leaves the pipeline at once.
bool INullVideoRenderer::VerifyConnection(IDirectShow& /*channel*/) {
    if (branch_.linked()) {
        return true;
    }
    branch_.detach();
    return false;
}

bool INullVideoRenderer::QueryVideoInfo(NerlaChannelInfo& info) {
    GstElement* sink = branch_.element();
    if (!sink) {
        return false;
    }
    GstPtr<GstPad> pad(gst_element_get_static_pad(sink, "sink"));
    return videoInfoFromPad(pad.get(), info);
}

}  // namespace nerla
