// The frame a video sink shows now, as an engine bitmap.
#pragma once

#include <gst/gst.h>

#include "nerla.h"

namespace nerla {

// The last frame `sink` (a sink or a bin holding one) received, as one
// malloc'd block freed with Nerla_FreeMem: the record, then BGRA pixels, top
// row first. Null when the sink has shown nothing yet.
NerlaBitmap* grabFrame(GstElement* sink);

}  // namespace nerla
