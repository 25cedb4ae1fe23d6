// The stream time of an element: its running time now, in 100 ns units.
#pragma once

#include <gst/gst.h>

#include <cstdint>

namespace nerla {

// Playing: the clock's time minus the element's base time; paused: the
// running time at which it paused; 0 without a clock.
int64_t streamTime100ns(GstElement* element);

}  // namespace nerla
