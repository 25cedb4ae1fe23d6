// DSP callbacks and built-in effects of a channel.
#include "audio/audio_processor_state.h"
#include "frame/channel_list.h"
#include "frame/export_guard.h"
#include "graph/direct_show.h"
#include "nerla.h"

using nerla::AudioEffectChain;
using nerla::AudioProcessorState;
using nerla::guarded;

namespace {

enum class Lookup { NoChannel, NoProcessor, Found };

// The channel's processor; NERLA_ERROR_NOAUDIO when it has none.
Lookup findProcessor(NerlaHandle channel, AudioProcessorState*& state) {
    nerla::IDirectShow* target = nerla::ChannelList::instance().find(channel);
    if (!target) {
        return Lookup::NoChannel;
    }
    state = nerla::audioProcessorState(target->audioProcessor());
    return state ? Lookup::Found : Lookup::NoProcessor;
}

AudioProcessorState* processorFor(NerlaHandle channel) {
    AudioProcessorState* state = nullptr;
    switch (findProcessor(channel, state)) {
        case Lookup::NoChannel:
            return nullptr;
        case Lookup::NoProcessor:
            nerla::setError(NERLA_ERROR_NOAUDIO);
            return nullptr;
        case Lookup::Found:
            break;
    }
    return state;
}

AudioEffectChain* chainFor(NerlaHandle channel, bool create) {
    AudioProcessorState* state = processorFor(channel);
    return state ? state->chain(create) : nullptr;
}

// Parameter calls answer 1 for every live channel, whatever they find.
template <typename F>
int32_t withEffect(NerlaHandle channel, uint32_t fx, F&& f) {
    AudioProcessorState* state = nullptr;
    const Lookup found = findProcessor(channel, state);
    if (found == Lookup::NoChannel) {
        return 0;
    }
    if (found == Lookup::Found) {
        if (AudioEffectChain* chain = state->chain(false)) {
            if (const auto effect = chain->effect(fx)) {
                f(*effect);
            }
        }
    }
    return 1;
}

}  // namespace

extern "C" {

NERLA_API uint32_t NERLA_CALL Nerla_ChannelSetDSP(NerlaHandle channel, NerlaDSPProc callback,
                                                  void* user) {
    return guarded(0u, [&]() -> uint32_t {
        AudioEffectChain* chain = chainFor(channel, true);
        return chain ? chain->addDsp(callback, user) : 0;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelRemoveDSP(NerlaHandle channel, uint32_t dsp) {
    return guarded(0, [&]() -> int32_t {
        AudioEffectChain* chain = chainFor(channel, false);
        return chain && chain->removeDsp(dsp) ? 1 : 0;
    });
}

NERLA_API uint32_t NERLA_CALL Nerla_ChannelSetFX(NerlaHandle channel, int32_t type) {
    return guarded(0u, [&]() -> uint32_t {
        AudioProcessorState* state = processorFor(channel);
        AudioEffectChain* chain = state ? state->chain(true) : nullptr;
        return chain ? chain->addEffect(type, state->format()) : 0;
    });
}

// 0 whether or not an effect went.
NERLA_API int32_t NERLA_CALL Nerla_ChannelRemoveFX(NerlaHandle channel, uint32_t fx) {
    return guarded(0, [&]() -> int32_t {
        if (AudioEffectChain* chain = chainFor(channel, false)) {
            chain->removeEffect(fx);
        }
        return 0;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_SetFXParameters(NerlaHandle channel, uint32_t fx,
                                                   const void* parameters) {
    return guarded(0, [&] {
        return withEffect(channel, fx, [&](nerla::CBaseFX& effect) {
            if (parameters) {
                effect.SetParameters(parameters);
            }
        });
    });
}

NERLA_API int32_t NERLA_CALL Nerla_GetFXParameters(NerlaHandle channel, uint32_t fx,
                                                   void* parameters) {
    return guarded(0, [&] {
        return withEffect(channel, fx, [&](nerla::CBaseFX& effect) {
            if (parameters) {
                effect.GetParameters(parameters);
            }
        });
    });
}

}  // extern "C"
