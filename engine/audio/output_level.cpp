#include "audio/output_level.h"

#include <gst/audio/audio.h>
#include <gst/audio/gstaudiofilter.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

G_BEGIN_DECLS
#define NERLA_TYPE_OUTPUT_LEVEL (nerla_output_level_get_type())
G_DECLARE_FINAL_TYPE(NerlaOutputLevel, nerla_output_level, NERLA, OUTPUT_LEVEL, GstAudioFilter)
G_END_DECLS

struct _NerlaOutputLevel {
    GstAudioFilter parent;
    std::atomic<int32_t>* volume;   // hundredths of a decibel
    std::atomic<int32_t>* balance;  // hundredths of a decibel
    std::vector<int8_t>* sides;     // per channel: -1 left, 1 right, 0 neither
};

G_DEFINE_TYPE(NerlaOutputLevel, nerla_output_level, GST_TYPE_AUDIO_FILTER)

namespace {

float gainOf(int32_t hundredthsDb) {
    return hundredthsDb <= -10000 ? 0.0f
                                  : std::pow(10.0f, static_cast<float>(hundredthsDb) / 2000.0f);
}

int8_t sideOf(GstAudioChannelPosition position) {
    switch (position) {
        case GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT:
        case GST_AUDIO_CHANNEL_POSITION_REAR_LEFT:
        case GST_AUDIO_CHANNEL_POSITION_SIDE_LEFT:
        case GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
        case GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_LEFT:
        case GST_AUDIO_CHANNEL_POSITION_TOP_REAR_LEFT:
        case GST_AUDIO_CHANNEL_POSITION_TOP_SIDE_LEFT:
        case GST_AUDIO_CHANNEL_POSITION_WIDE_LEFT:
        case GST_AUDIO_CHANNEL_POSITION_SURROUND_LEFT:
            return -1;
        case GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT:
        case GST_AUDIO_CHANNEL_POSITION_REAR_RIGHT:
        case GST_AUDIO_CHANNEL_POSITION_SIDE_RIGHT:
        case GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
        case GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_RIGHT:
        case GST_AUDIO_CHANNEL_POSITION_TOP_REAR_RIGHT:
        case GST_AUDIO_CHANNEL_POSITION_TOP_SIDE_RIGHT:
        case GST_AUDIO_CHANNEL_POSITION_WIDE_RIGHT:
        case GST_AUDIO_CHANNEL_POSITION_SURROUND_RIGHT:
            return 1;
        default:
            return 0;
    }
}

}  // namespace

static gboolean nerla_output_level_setup(GstAudioFilter* filter, const GstAudioInfo* info) {
    auto* self = NERLA_OUTPUT_LEVEL(filter);
    const int channels = GST_AUDIO_INFO_CHANNELS(info);
    std::vector<int8_t> sides(channels, 0);
    for (int c = 0; c < channels; ++c) {
        sides[c] = sideOf(info->position[c]);
    }
    // Unpositioned stereo is left then right.
    if (channels == 2 && GST_AUDIO_INFO_IS_UNPOSITIONED(info)) {
        sides = {-1, 1};
    }
    GST_OBJECT_LOCK(self);
    *self->sides = std::move(sides);
    GST_OBJECT_UNLOCK(self);
    return TRUE;
}

static GstFlowReturn nerla_output_level_transform_ip(GstBaseTransform* transform,
                                                     GstBuffer* buffer) {
    auto* self = NERLA_OUTPUT_LEVEL(transform);
    const float level = gainOf(self->volume->load());
    const int32_t balance = self->balance->load();
    const float left = level * gainOf(std::min(0, -balance));
    const float right = level * gainOf(std::min(0, balance));
    if (left == 1.0f && right == 1.0f) {
        return GST_FLOW_OK;
    }
    std::array<float, 64> gains;  // GStreamer's channel limit
    GST_OBJECT_LOCK(self);
    const size_t channels = std::min(self->sides->size(), gains.size());
    for (size_t c = 0; c < channels; ++c) {
        const int8_t side = (*self->sides)[c];
        gains[c] = side < 0 ? left : (side > 0 ? right : level);
    }
    GST_OBJECT_UNLOCK(self);
    if (channels == 0) {
        return GST_FLOW_OK;
    }
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) {
        return GST_FLOW_ERROR;
    }
    auto* samples = reinterpret_cast<float*>(map.data);
    const size_t count = map.size / sizeof(float);
    for (size_t i = 0; i < count; ++i) {
        samples[i] *= gains[i % channels];
    }
    gst_buffer_unmap(buffer, &map);
    return GST_FLOW_OK;
}

static void nerla_output_level_finalize(GObject* object) {
    auto* self = NERLA_OUTPUT_LEVEL(object);
    delete self->volume;
    delete self->balance;
    delete self->sides;
    G_OBJECT_CLASS(nerla_output_level_parent_class)->finalize(object);
}

static void nerla_output_level_class_init(NerlaOutputLevelClass* klass) {
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_set_static_metadata(element, "Nerla Output Level", "Filter/Effect/Audio",
                                          "Volume and balance of an audio output", "Nerla");
    GstCaps* caps = gst_caps_from_string("audio/x-raw, format = (string) " GST_AUDIO_NE(
        F32) ", layout = (string) interleaved, "
             "rate = (int) [ 1, MAX ], channels = (int) [ 1, MAX ]");
    gst_audio_filter_class_add_pad_templates(GST_AUDIO_FILTER_CLASS(klass), caps);
    gst_caps_unref(caps);
    G_OBJECT_CLASS(klass)->finalize = nerla_output_level_finalize;
    GST_AUDIO_FILTER_CLASS(klass)->setup = nerla_output_level_setup;
    GST_BASE_TRANSFORM_CLASS(klass)->transform_ip = nerla_output_level_transform_ip;
}

// The C++ members live outside the GObject's C storage.
static void nerla_output_level_init(NerlaOutputLevel* self) {
    self->volume = new std::atomic<int32_t>(0);
    self->balance = new std::atomic<int32_t>(0);
    self->sides = new std::vector<int8_t>();
    gst_base_transform_set_in_place(GST_BASE_TRANSFORM(self), TRUE);
}

namespace nerla {

bool registerOutputLevel() {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        registered = gst_element_register(nullptr, kOutputLevelFactory, GST_RANK_NONE,
                                          NERLA_TYPE_OUTPUT_LEVEL);
    });
    return registered;
}

void setOutputVolume(GstElement* stage, int32_t hundredthsDb) {
    if (stage && NERLA_IS_OUTPUT_LEVEL(stage)) {
        NERLA_OUTPUT_LEVEL(stage)->volume->store(std::clamp(hundredthsDb, -10000, 0));
    }
}

void setOutputBalance(GstElement* stage, int32_t hundredthsDb) {
    if (stage && NERLA_IS_OUTPUT_LEVEL(stage)) {
        NERLA_OUTPUT_LEVEL(stage)->balance->store(std::clamp(hundredthsDb, -10000, 10000));
    }
}

}  // namespace nerla
