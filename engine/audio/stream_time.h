// The stream time of an element: its running time now, in 100 ns units.
#pragma once

#include <gst/gst.h>

#include <cstdint>

namespace nerla {

// Playing: the clock's time minus the element's base time; paused: the
// running time at which it paused; 0 without a clock.
int64_t streamTime100ns(GstElement* element);

// The running time, in the processor's segment, of what the pipeline's sinks
// play now (the position the channel reports): a sound server may start
// playing well after the clock has started. The processor's stream time when
// the pipeline has no position yet.
int64_t playPosition100ns(GstElement* pipeline, GstElement* processor);

}  // namespace nerla
