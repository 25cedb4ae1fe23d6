#include "audio/stream_time.h"

#include "audio/audio_processor_state.h"
#include "frame/gst_ptr.h"

namespace nerla {

int64_t streamTime100ns(GstElement* element) {
    if (!element) {
        return 0;
    }
    GstPtr<GstClock> clock(gst_element_get_clock(element));
    if (!clock) {
        return 0;
    }
    GST_OBJECT_LOCK(element);
    const bool playing = GST_STATE(element) == GST_STATE_PLAYING;
    const GstClockTime base = GST_ELEMENT_CAST(element)->base_time;
    const GstClockTime paused = GST_ELEMENT_START_TIME(element);
    GST_OBJECT_UNLOCK(element);
    GstClockTime running;
    if (playing) {
        const GstClockTime now = gst_clock_get_time(clock.get());
        running = now > base ? now - base : 0;
    } else {
        running = GST_CLOCK_TIME_IS_VALID(paused) ? paused : 0;
    }
    return static_cast<int64_t>(running / 100);
}

int64_t playPosition100ns(GstElement* pipeline, GstElement* processor) {
    const AudioProcessorState* state = audioProcessorState(processor);
    gint64 position = -1;
    if (state && pipeline && gst_element_query_position(pipeline, GST_FORMAT_TIME, &position) &&
        position >= 0) {
        if (const auto running = state->runningTimeOf(static_cast<GstClockTime>(position))) {
            return static_cast<int64_t>(*running / 100);
        }
    }
    return streamTime100ns(processor);
}

}  // namespace nerla
