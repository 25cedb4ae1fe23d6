#include "audio/desktop_audio_renderer.h"

#include <gst/audio/audio.h>

#include "graph/direct_show.h"

namespace nerla {

bool IDesktopAudioRenderer::AttachToGraph(IDirectShow& channel, int32_t /*choice*/) {
    GstElement* bin = makeBranchBin(
        "Audio Renderer", "audioconvert ! audioresample ! autoaudiosink name=\"Audio Output\"");
    return branch_.attach(channel.GetGraph(), bin);
}

bool IDesktopAudioRenderer::VerifyConnection(IDirectShow& /*channel*/, GstPad* /*upstream*/) {
    return branch_.sinkLinked();
}

bool IDesktopAudioRenderer::QueryAudioInfo(NerlaChannelInfo& info) {
    if (!branch_.sinkPad()) {
        return false;
    }
    CapsPtr caps(gst_pad_get_current_caps(branch_.sinkPad()));
    GstAudioInfo audio;
    if (!caps || !gst_audio_info_from_caps(&audio, caps.get())) {
        return false;
    }
    info.audioChannels = GST_AUDIO_INFO_CHANNELS(&audio);
    info.audioSampleRate = GST_AUDIO_INFO_RATE(&audio);
    info.audioBitsPerSample = GST_AUDIO_INFO_WIDTH(&audio);
    info.audioFloat = GST_AUDIO_INFO_IS_FLOAT(&audio) ? 1 : 0;
    return true;
}

}  // namespace nerla
