// Levels and data of what a channel plays.
#include "audio/audio_processor_state.h"
#include "audio/levels.h"
#include "audio/stream_time.h"
#include "frame/channel_list.h"
#include "frame/export_guard.h"
#include "frame/stream_flags.h"
#include "graph/direct_show.h"
#include "nerla.h"

using nerla::guarded;

namespace {

// The channel's processor element with its state and the play position in
// it, or null: for an unknown
// channel (error set by the lookup), without a processor (NERLA_ERROR_NOAUDIO),
// and for a channel whose data comes from its audio renderer, which has
// none (NERLA_ERROR_NOAUDIO without a renderer either).
GstElement* processorOf(NerlaHandle channel, nerla::AudioProcessorState*& state, int64_t& now) {
    nerla::IDirectShow* target = nerla::ChannelList::instance().find(channel);
    if (!target) {
        return nullptr;
    }
    if (nerla::dataFromRenderer(target->GetFlags())) {
        if (!target->audioRenderer()) {
            nerla::setError(NERLA_ERROR_NOAUDIO);
        }
        return nullptr;
    }
    GstElement* element = target->audioProcessor();
    state = nerla::audioProcessorState(element);
    if (!state) {
        nerla::setError(NERLA_ERROR_NOAUDIO);
        return nullptr;
    }
    now = nerla::playPosition100ns(GST_ELEMENT(target->GetGraph()), element);
    return element;
}

}  // namespace

extern "C" {

NERLA_API int32_t NERLA_CALL Nerla_ChannelGetData(NerlaHandle channel, void* buffer,
                                                  int32_t lengthOrFlags) {
    return guarded(0, [&]() -> int32_t {
        nerla::AudioProcessorState* state = nullptr;
        int64_t now = 0;
        if (!processorOf(channel, state, now)) {
            return 0;
        }
        if (!buffer) {
            nerla::setError(NERLA_ERROR_ILLPARAM);
            return 0;
        }
        return nerla::readChannelData(*state, now, buffer, lengthOrFlags);
    });
}

NERLA_API uint32_t NERLA_CALL Nerla_ChannelGetLevel(NerlaHandle channel) {
    return guarded(0u, [&]() -> uint32_t {
        nerla::AudioProcessorState* state = nullptr;
        int64_t now = 0;
        if (!processorOf(channel, state, now)) {
            return 0;
        }
        return nerla::readChannelLevel(*state, now);
    });
}

}  // extern "C"
