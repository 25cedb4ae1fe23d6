#include "audio/null_audio_renderer.h"

#include <gst/audio/audio.h>

#include "graph/direct_show.h"

namespace nerla {

bool INullAudioRenderer::AttachToGraph(IDirectShow& channel, int32_t /*choice*/) {
    GstElement* sink = gst_element_factory_make("fakesink", "NULL Audio Renderer");
    if (!sink) {
        return false;
    }
    // Samples are scheduled by their time stamps: playback keeps its pace.
    g_object_set(sink, "sync", TRUE, nullptr);
    return branch_.attach(channel.GetGraph(), sink);
}

bool INullAudioRenderer::VerifyConnection(IDirectShow& /*channel*/, GstPad* upstream) {
    if (upstream && branch_.sinkPad() && !gst_pad_is_linked(upstream) &&
        gst_pad_link(upstream, branch_.sinkPad()) == GST_PAD_LINK_OK) {
        branch_.activate();
    }
    if (!branch_.sinkLinked()) {
        branch_.detach();
        return false;
    }
    return true;
}

bool INullAudioRenderer::QueryAudioInfo(NerlaChannelInfo& /*info*/) {
    return false;
}

}  // namespace nerla
