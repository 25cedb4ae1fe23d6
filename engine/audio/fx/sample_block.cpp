#include "audio/fx/sample_block.h"

#include <cstring>

#include "frame/sample_convert.h"

namespace nerla {

bool SampleBlock::supported(int32_t channels, int32_t bitsPerSample, bool isFloat) {
    if (channels <= 0) {
        return false;
    }
    if (isFloat) {
        return bitsPerSample == 32;
    }
    return bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 || bitsPerSample == 32;
}

void SampleBlock::configure(int32_t channels, int32_t bitsPerSample, bool isFloat,
                            uint32_t reserveFrames) {
    channels_ = channels;
    bytes_ = bitsPerSample / 8;
    float_ = isFloat;
    scratch_.resize(static_cast<size_t>(reserveFrames) * static_cast<size_t>(channels));
}

float* SampleBlock::load(uint8_t* data, uint32_t length, uint32_t& frames) {
    const auto frameBytes = static_cast<uint32_t>(channels_ * bytes_);
    frames = frameBytes ? length / frameBytes : 0;
    const size_t count = static_cast<size_t>(frames) * static_cast<size_t>(channels_);
    inPlace_ = float_ && reinterpret_cast<uintptr_t>(data) % alignof(float) == 0;
    if (inPlace_) {
        return reinterpret_cast<float*>(data);
    }
    if (scratch_.size() < count) {
        scratch_.resize(count);  // a buffer longer than any before
    }
    if (float_) {
        std::memcpy(scratch_.data(), data, count * sizeof(float));
    } else {
        int2Float(data, scratch_.data(), static_cast<uint32_t>(count), bytes_);
    }
    return scratch_.data();
}

void SampleBlock::store(uint8_t* data, uint32_t frames) {
    if (inPlace_) {
        return;
    }
    const size_t count = static_cast<size_t>(frames) * static_cast<size_t>(channels_);
    if (float_) {
        std::memcpy(data, scratch_.data(), count * sizeof(float));
    } else {
        float2Int(scratch_.data(), data, static_cast<uint32_t>(count), bytes_);
    }
}

}  // namespace nerla
