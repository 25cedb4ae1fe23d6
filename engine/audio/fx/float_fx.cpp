#include "audio/fx/float_fx.h"

#include <new>

#include "audio/fx/denormal_guard.h"
#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_audio_debug

namespace nerla {

bool CFloatFX::start(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample, bool isFloat) {
    if (samplesPerSec <= 0 || !SampleBlock::supported(channels, bitsPerSample, isFloat)) {
        active_ = false;
        return false;
    }
    block_.configure(channels, bitsPerSample, isFloat, static_cast<uint32_t>(samplesPerSec));
    stream_ = {samplesPerSec, channels};
    rate_.store(samplesPerSec, std::memory_order_relaxed);
    prepare();
    refresh(true);
    active_ = true;
    return true;
}

bool CFloatFX::Init(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample, bool isFloat) {
    return start(samplesPerSec, channels, bitsPerSample, isFloat);
}

// On the streaming thread: nothing may be thrown from here.
void CFloatFX::Reset(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample, bool isFloat) {
    try {
        if (!start(samplesPerSec, channels, bitsPerSample, isFloat)) {
            GST_INFO("effect %u: %d channels of %d bits not supported, passing through", handle(),
                     channels, bitsPerSample);
        }
    } catch (const std::bad_alloc&) {
        active_ = false;
        GST_WARNING("effect %u: out of memory for the new format, passing through", handle());
    }
}

uint32_t CFloatFX::Process(uint8_t* buffer, uint32_t length, uint32_t /*capacity*/) {
    if (!active_ || !buffer || length == 0) {
        return length;
    }
    DenormalGuard guard;
    refresh(false);
    uint32_t frames = 0;
    float* samples = nullptr;
    try {
        samples = block_.load(buffer, length, frames);
    } catch (const std::bad_alloc&) {
        return length;  // longer than any scratch space to be had: passes as it is
    }
    if (frames > 0) {
        apply(samples, frames);
        block_.store(buffer, frames);
    }
    return length;
}

void logRefusedParameters(const char* effect, uint32_t handle) {
    GST_INFO("%s %u: parameter record out of range, nothing changed", effect, handle);
}

}  // namespace nerla
