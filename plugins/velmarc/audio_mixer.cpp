#include "velmarc/audio_mixer.h"

#include <gst/audio/audio.h>
#include <gst/base/gstbasetransform.h>

#include <algorithm>
#include <new>

#include "velmarc/log.h"
#include "velmarc/mix_settings.h"

#define GST_CAT_DEFAULT velmarc_debug

namespace velmarc {
namespace {

constexpr int kMaxChannels = 64;

struct MixerState {
    GstAudioInfo in{};
    GstAudioInfo out{};
    MixMatrix matrix;
    uint32_t generation = 0;
};

}  // namespace
}  // namespace velmarc

struct VelmarcAudioMixer {
    GstBaseTransform parent;
    alignas(velmarc::MixerState) unsigned char storage[sizeof(velmarc::MixerState)];
};

struct VelmarcAudioMixerClass {
    GstBaseTransformClass parent_class;
};

G_DEFINE_TYPE(VelmarcAudioMixer, velmarc_audio_mixer, GST_TYPE_BASE_TRANSFORM)

namespace velmarc {
namespace {

#define MIXER_CAPS \
    "audio/x-raw, format=(string)" GST_AUDIO_NE(F32) ", layout=(string)interleaved, " \
                                                     "rate=(int)[1,MAX], channels=(int)[1,64]"

GstStaticPadTemplate sinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(MIXER_CAPS));
GstStaticPadTemplate srcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS(MIXER_CAPS));

MixerState& stateOf(GstBaseTransform* trans) {
    return *std::launder(
        reinterpret_cast<MixerState*>(reinterpret_cast<VelmarcAudioMixer*>(trans)->storage));
}

// With mixing on the output has the chosen layout and the input any;
// otherwise both sides are the same.
GstCaps* transformCaps(GstBaseTransform* /*trans*/, GstPadDirection direction, GstCaps* caps,
                       GstCaps* filter) {
    const MixChoice choice = MixSettings::instance().choice();
    GstCaps* result = nullptr;
    if (!choice.mixing) {
        result = gst_caps_ref(caps);
    } else {
        result = gst_caps_copy(caps);
        const auto channels = static_cast<gint>(layoutPositions(choice.layout).size());
        for (guint i = 0; i < gst_caps_get_size(result); ++i) {
            GstStructure* structure = gst_caps_get_structure(result, i);
            gst_structure_remove_field(structure, "channel-mask");
            if (direction == GST_PAD_SRC) {
                gst_structure_set(structure, "channels", GST_TYPE_INT_RANGE, 1, kMaxChannels,
                                  nullptr);
            } else {
                gst_structure_set(structure, "channels", G_TYPE_INT, channels, nullptr);
                if (channels > 1) {
                    gst_structure_set(structure, "channel-mask", GST_TYPE_BITMASK,
                                      layoutMask(choice.layout), nullptr);
                }
            }
        }
    }
    if (filter) {
        GstCaps* filtered = gst_caps_intersect_full(filter, result, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(result);
        result = filtered;
    }
    return result;
}

std::vector<GstAudioChannelPosition> inputPositions(const GstAudioInfo& info) {
    std::vector<GstAudioChannelPosition> positions(info.position,
                                                   info.position + GST_AUDIO_INFO_CHANNELS(&info));
    if (GST_AUDIO_INFO_IS_UNPOSITIONED(&info) && info.channels > 1) {
        // channels without positions: the usual layout for their number
        gst_audio_channel_positions_from_mask(
            info.channels, gst_audio_channel_get_fallback_mask(info.channels), positions.data());
    }
    return positions;
}

gboolean setCaps(GstBaseTransform* trans, GstCaps* incaps, GstCaps* outcaps) {
    MixerState& state = stateOf(trans);
    const uint32_t generation = MixSettings::instance().generation();
    const MixChoice choice = MixSettings::instance().choice();
    if (!gst_audio_info_from_caps(&state.in, incaps) ||
        !gst_audio_info_from_caps(&state.out, outcaps)) {
        return FALSE;
    }
    if (!choice.mixing) {
        if (state.in.channels != state.out.channels) {
            return FALSE;  // the choice changed under the negotiation
        }
        state.matrix = MixMatrix(state.in.channels, std::vector<float>(state.in.channels, 0.0f));
        for (int i = 0; i < state.in.channels; ++i) {
            state.matrix[i][i] = 1.0f;
        }
    } else {
        state.matrix = mixMatrix(inputPositions(state.in), choice.layout, choice.encoding);
        if (state.matrix.size() != static_cast<size_t>(state.out.channels)) {
            return FALSE;
        }
    }
    state.generation = generation;
    const bool identity = isIdentity(state.matrix);
    gst_base_transform_set_passthrough(trans, identity);
    GST_DEBUG_OBJECT(trans, "%d to %d channels%s", state.in.channels, state.out.channels,
                     identity ? ", passing through" : "");
    return TRUE;
}

gboolean unitSize(GstBaseTransform* /*trans*/, GstCaps* caps, gsize* size) {
    GstAudioInfo info;
    if (!gst_audio_info_from_caps(&info, caps)) {
        return FALSE;
    }
    *size = static_cast<gsize>(GST_AUDIO_INFO_BPF(&info));
    return TRUE;
}

GstFlowReturn submitInput(GstBaseTransform* trans, gboolean discont, GstBuffer* input) {
    MixerState& state = stateOf(trans);
    const uint32_t generation = MixSettings::instance().generation();
    if (generation != state.generation) {
        // the player changed an option: negotiate again before this buffer
        state.generation = generation;
        gst_base_transform_reconfigure_src(trans);
    }
    return GST_BASE_TRANSFORM_CLASS(velmarc_audio_mixer_parent_class)
        ->submit_input_buffer(trans, discont, input);
}

GstFlowReturn transform(GstBaseTransform* trans, GstBuffer* inbuf, GstBuffer* outbuf) {
    const MixerState& state = stateOf(trans);
    GstMapInfo in;
    GstMapInfo out;
    if (!gst_buffer_map(inbuf, &in, GST_MAP_READ)) {
        return GST_FLOW_ERROR;
    }
    if (!gst_buffer_map(outbuf, &out, GST_MAP_WRITE)) {
        gst_buffer_unmap(inbuf, &in);
        return GST_FLOW_ERROR;
    }
    const auto inChannels = static_cast<size_t>(state.in.channels);
    const auto outChannels = static_cast<size_t>(state.out.channels);
    const size_t frames =
        std::min(in.size / (inChannels * sizeof(float)), out.size / (outChannels * sizeof(float)));
    const auto* source = reinterpret_cast<const float*>(in.data);
    auto* target = reinterpret_cast<float*>(out.data);
    for (size_t frame = 0; frame < frames; ++frame) {
        const float* samples = source + frame * inChannels;
        for (size_t o = 0; o < outChannels; ++o) {
            const std::vector<float>& row = state.matrix[o];
            float sum = 0.0f;
            for (size_t i = 0; i < inChannels; ++i) {
                sum += row[i] * samples[i];
            }
            target[frame * outChannels + o] = sum;
        }
    }
    gst_buffer_unmap(outbuf, &out);
    gst_buffer_unmap(inbuf, &in);
    return GST_FLOW_OK;
}

void finalize(GObject* object) {
    stateOf(GST_BASE_TRANSFORM(object)).~MixerState();
    G_OBJECT_CLASS(velmarc_audio_mixer_parent_class)->finalize(object);
}

}  // namespace

GstElement* makeAudioMixer(const char* name) {
    return GST_ELEMENT(g_object_new(velmarc_audio_mixer_get_type(), "name", name, nullptr));
}

}  // namespace velmarc

static void velmarc_audio_mixer_class_init(VelmarcAudioMixerClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = velmarc::finalize;
    auto* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &velmarc::sinkTemplate);
    gst_element_class_add_static_pad_template(element, &velmarc::srcTemplate);
    gst_element_class_set_static_metadata(element, "Velmarc Audio Mixer", "Filter/Converter/Audio",
                                          "Remixes audio to the chosen speaker layout", "Corvane");
    auto* transform = GST_BASE_TRANSFORM_CLASS(klass);
    transform->transform_caps = velmarc::transformCaps;
    transform->set_caps = velmarc::setCaps;
    transform->get_unit_size = velmarc::unitSize;
    transform->submit_input_buffer = velmarc::submitInput;
    transform->transform = velmarc::transform;
    transform->passthrough_on_same_caps = FALSE;
}

static void velmarc_audio_mixer_init(VelmarcAudioMixer* self) {
    new (self->storage) velmarc::MixerState();
}
