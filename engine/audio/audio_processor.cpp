#include "audio/audio_processor.h"

#include <gst/audio/audio.h>
#include <gst/base/gstbasetransform.h>

#include <mutex>

#include "audio/audio_processor_state.h"
#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_audio_debug

// Interleaved integer PCM of 1 to 4 bytes, or 32-bit float: compressed
// audio (S/PDIF included) needs a decoder in front.
#define NERLA_PROCESSOR_CAPS                                              \
    "audio/x-raw, format = (string) { U8, S16LE, S24LE, S32LE, F32LE }, " \
    "layout = (string) interleaved, rate = (int) [ 1, MAX ], channels = (int) [ 1, MAX ]"

G_BEGIN_DECLS
#define NERLA_TYPE_AUDIO_PROCESSOR (nerla_audio_processor_get_type())
G_DECLARE_FINAL_TYPE(NerlaAudioProcessor, nerla_audio_processor, NERLA, AUDIO_PROCESSOR,
                     GstBaseTransform)
G_END_DECLS

struct _NerlaAudioProcessor {
    GstBaseTransform parent;
    nerla::AudioProcessorState* state;
};

G_DEFINE_TYPE(NerlaAudioProcessor, nerla_audio_processor, GST_TYPE_BASE_TRANSFORM)

static GstStaticPadTemplate sinkTemplate = GST_STATIC_PAD_TEMPLATE(
    "sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(NERLA_PROCESSOR_CAPS));
static GstStaticPadTemplate srcTemplate = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS(NERLA_PROCESSOR_CAPS));

static gboolean nerla_audio_processor_set_caps(GstBaseTransform* transform, GstCaps* incaps,
                                               GstCaps*) {
    GstAudioInfo info;
    if (!gst_audio_info_from_caps(&info, incaps)) {
        return FALSE;
    }
    NERLA_AUDIO_PROCESSOR(transform)->state->setFormat(nerla::WaveFormat::fromAudioInfo(info));
    return TRUE;
}

// The segment goes to the state too: the play position is read in it.
static gboolean nerla_audio_processor_sink_event(GstBaseTransform* transform, GstEvent* event) {
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        if (segment) {
            NERLA_AUDIO_PROCESSOR(transform)->state->setSegment(*segment);
        }
    }
    return GST_BASE_TRANSFORM_CLASS(nerla_audio_processor_parent_class)
        ->sink_event(transform, event);
}

// A time stamp as running time, the time base of the element's clock; a
// stamp outside the segment stays as it is.
static GstClockTime runningTime(GstBaseTransform* transform, GstClockTime pts) {
    if (!GST_CLOCK_TIME_IS_VALID(pts) || transform->segment.format != GST_FORMAT_TIME) {
        return pts;
    }
    const GstClockTime running =
        gst_segment_to_running_time(&transform->segment, GST_FORMAT_TIME, pts);
    return GST_CLOCK_TIME_IS_VALID(running) ? running : pts;
}

// Effects, DSP callbacks and the history ring, in place; an empty buffer is
// not passed on.
static GstFlowReturn nerla_audio_processor_transform_ip(GstBaseTransform* transform,
                                                        GstBuffer* buffer) {
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) {
        return GST_FLOW_ERROR;
    }
    if (map.size == 0) {
        gst_buffer_unmap(buffer, &map);
        return GST_BASE_TRANSFORM_FLOW_DROPPED;
    }
    const auto size = static_cast<uint32_t>(map.size);
    const uint32_t length = NERLA_AUDIO_PROCESSOR(transform)->state->process(
        map.data, size, size, runningTime(transform, GST_BUFFER_PTS(buffer)));
    gst_buffer_unmap(buffer, &map);
    if (length == 0) {
        return GST_BASE_TRANSFORM_FLOW_DROPPED;
    }
    if (length < size) {
        gst_buffer_resize(buffer, 0, length);
    }
    return GST_FLOW_OK;
}

static void nerla_audio_processor_finalize(GObject* object) {
    delete NERLA_AUDIO_PROCESSOR(object)->state;
    G_OBJECT_CLASS(nerla_audio_processor_parent_class)->finalize(object);
}

static void nerla_audio_processor_class_init(NerlaAudioProcessorClass* klass) {
    GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
    GstBaseTransformClass* transformClass = GST_BASE_TRANSFORM_CLASS(klass);
    gst_element_class_set_static_metadata(elementClass, "Nerla Audio Processor",
                                          "Filter/Effect/Audio",
                                          "Runs a channel's effects and DSP callbacks", "Nerla");
    gst_element_class_add_static_pad_template(elementClass, &sinkTemplate);
    gst_element_class_add_static_pad_template(elementClass, &srcTemplate);
    G_OBJECT_CLASS(klass)->finalize = nerla_audio_processor_finalize;
    transformClass->set_caps = nerla_audio_processor_set_caps;
    transformClass->transform_ip = nerla_audio_processor_transform_ip;
    transformClass->sink_event = nerla_audio_processor_sink_event;
    transformClass->passthrough_on_same_caps = FALSE;
}

static void nerla_audio_processor_init(NerlaAudioProcessor* self) {
    self->state = new nerla::AudioProcessorState();
    gst_base_transform_set_in_place(GST_BASE_TRANSFORM(self), TRUE);
}

namespace nerla {

bool registerAudioProcessor() {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        registered = gst_element_register(nullptr, kAudioProcessorFactory, GST_RANK_NONE,
                                          NERLA_TYPE_AUDIO_PROCESSOR);
    });
    return registered;
}

AudioProcessorState* audioProcessorState(GstElement* element) {
    if (!element || !registerAudioProcessor() || !NERLA_IS_AUDIO_PROCESSOR(element)) {
        return nullptr;
    }
    return NERLA_AUDIO_PROCESSOR(element)->state;
}

GstElement* makeAudioProcessor() {
    if (!registerAudioProcessor()) {
        return nullptr;
    }
    return gst_element_factory_make(kAudioProcessorFactory, kAudioProcessorName);
}

}  // namespace nerla
