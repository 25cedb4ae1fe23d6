// The size and frame rate of the video on a pad.
#pragma once

#include <gst/gst.h>

#include "nerla.h"

namespace nerla {

inline constexpr float kDefaultVideoFrameRate = 25.0f;

// Width, height and frame rate (25 when the stream states none) from the
// pad's current caps; false when it has none yet.
bool videoInfoFromPad(GstPad* pad, NerlaChannelInfo& info);

}  // namespace nerla
