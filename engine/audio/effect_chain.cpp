#include "audio/effect_chain.h"

#include "audio/effect_factory.h"
#include "frame/sample_convert.h"

namespace nerla {

uint32_t AudioEffectChain::addDsp(NerlaDSPProc callback, void* user) {
    if (!callback || format_.empty()) {
        return 0;
    }
    const uint32_t handle = nextDsp_.fetch_add(1);
    dsps_.pushFront(std::make_shared<DspEntry>(DspEntry{callback, user, handle}));
    return handle;
}

bool AudioEffectChain::removeDsp(uint32_t handle) {
    return dsps_.remove([handle](const DspEntry& e) { return e.handle == handle; });
}

uint32_t AudioEffectChain::addEffect(int32_t type, const WaveFormat& current) {
    if (type <= 0 || format_.empty() || current.empty()) {
        return 0;
    }
    std::shared_ptr<CBaseFX> fx = createEffect(type);
    if (!fx || !fx->Init(static_cast<int32_t>(current.samplesPerSec), current.channels,
                         current.bitsPerSample, current.isFloat())) {
        return 0;
    }
    const uint32_t handle = nextEffect_.fetch_add(1);
    fx->setHandle(handle);
    effects_.pushFront(std::move(fx));
    return handle;
}

bool AudioEffectChain::removeEffect(uint32_t handle) {
    return effects_.remove([handle](const CBaseFX& fx) { return fx.handle() == handle; });
}

std::shared_ptr<CBaseFX> AudioEffectChain::effect(uint32_t handle) const {
    return effects_.find([handle](const CBaseFX& fx) { return fx.handle() == handle; });
}

void AudioEffectChain::resetEffects(const WaveFormat& format) {
    for (const auto& fx : *effects_.snapshot()) {
        fx->Reset(static_cast<int32_t>(format.samplesPerSec), format.channels, format.bitsPerSample,
                  format.isFloat());
    }
}

void AudioEffectChain::callDsps(const std::vector<std::shared_ptr<DspEntry>>& dsps, void* buffer,
                                uint32_t length) const {
    for (const auto& dsp : dsps) {
        dsp->callback(dsp->handle, 0, buffer, length, dsp->user);
    }
}

// The float conversion follows the stream's current sample width, so that
// a format change never has the callbacks read one width as another.
uint32_t AudioEffectChain::run(uint8_t* buffer, uint32_t length, uint32_t capacity,
                               const WaveFormat& current) {
    const auto effects = effects_.snapshot();
    for (const auto& fx : *effects) {
        length = fx->Process(buffer, length, capacity);
    }
    const auto dsps = dsps_.snapshot();
    if (dsps->empty()) {
        return length;
    }
    const int bytes = current.bitsPerSample / 8;
    if (floatDsp_ && current.bitsPerSample < 32 && bytes > 0) {
        const uint32_t count = length / static_cast<uint32_t>(bytes);
        if (scratch_.size() < count) {
            scratch_.resize(count);
        }
        int2Float(buffer, scratch_.data(), count, bytes);
        callDsps(*dsps, scratch_.data(), count * 4);
        float2Int(scratch_.data(), buffer, count, bytes);
    } else {
        callDsps(*dsps, buffer, length);
    }
    return length;
}

}  // namespace nerla
