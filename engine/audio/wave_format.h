// The stream format as the processor stores it: the fields of a wave format
// record.
#pragma once

#include <gst/audio/audio.h>

#include <cstdint>

namespace nerla {

struct WaveFormat {
    static constexpr uint16_t kPcm = 1;
    static constexpr uint16_t kIeeeFloat = 3;

    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    bool isFloat() const { return formatTag == kIeeeFloat; }
    bool empty() const { return channels == 0 || samplesPerSec == 0 || bitsPerSample == 0; }
    bool sameStream(const WaveFormat& other) const {
        return formatTag == other.formatTag && channels == other.channels &&
               bitsPerSample == other.bitsPerSample && samplesPerSec == other.samplesPerSec;
    }

    static WaveFormat fromAudioInfo(const GstAudioInfo& info) {
        WaveFormat f;
        f.formatTag = GST_AUDIO_INFO_IS_FLOAT(&info) ? kIeeeFloat : kPcm;
        f.channels = static_cast<uint16_t>(GST_AUDIO_INFO_CHANNELS(&info));
        f.samplesPerSec = static_cast<uint32_t>(GST_AUDIO_INFO_RATE(&info));
        f.blockAlign = static_cast<uint16_t>(GST_AUDIO_INFO_BPF(&info));
        f.avgBytesPerSec = f.samplesPerSec * f.blockAlign;
        f.bitsPerSample = static_cast<uint16_t>(GST_AUDIO_INFO_WIDTH(&info));
        return f;
    }
};

}  // namespace nerla
