// The audio part of the channel information record from a pad's caps.
#pragma once

#include <gst/audio/audio.h>

#include "frame/gst_ptr.h"
#include "nerla.h"

namespace nerla {

// False while the pad has no audio caps.
inline bool audioInfoFromPad(GstPad* pad, NerlaChannelInfo& info) {
    CapsPtr caps(gst_pad_get_current_caps(pad));
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
