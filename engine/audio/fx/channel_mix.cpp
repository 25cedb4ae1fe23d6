#include "audio/fx/channel_mix.h"

#include <cstring>

#include "nerla.h"

namespace nerla {

bool CChannelMix::Init(int32_t /*samplesPerSec*/, int32_t channels, int32_t bitsPerSample,
                       bool /*isFloat*/) {
    channels_ = channels;
    bits_ = bitsPerSample;
    return channels == 2 && bitsPerSample == 16;
}

void CChannelMix::Reset(int32_t /*samplesPerSec*/, int32_t channels, int32_t bitsPerSample,
                        bool /*isFloat*/) {
    channels_ = channels;
    bits_ = bitsPerSample;
}

void CChannelMix::SetParameters(const void* parameters) {
    if (!parameters) {
        return;
    }
    NerlaChannelMixParameters record;
    std::memcpy(&record, parameters, sizeof record);
    mode_.store(record.mode);
}

void CChannelMix::GetParameters(void* parameters) {
    if (!parameters) {
        return;
    }
    const NerlaChannelMixParameters record{mode_.load()};
    std::memcpy(parameters, &record, sizeof record);
}

uint32_t CChannelMix::Process(uint8_t* buffer, uint32_t length, uint32_t /*capacity*/) {
    const int32_t mode = mode_.load();
    if (mode == 0 || !buffer || length == 0 || channels_ != 2 || bits_ != 16) {
        return length;
    }
    const size_t from = mode == 1 ? 0 : 2;
    const size_t to = 2 - from;
    for (uint32_t frame = 0; frame + 4 <= length; frame += 4) {
        std::memcpy(buffer + frame + to, buffer + frame + from, 2);
    }
    return length;
}

}  // namespace nerla
