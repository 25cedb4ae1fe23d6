// GStreamer debug categories of the engine (GST_DEBUG=nerla*:5) and the
// one-time GStreamer start-up.
#pragma once

#include <gst/gst.h>

GST_DEBUG_CATEGORY_EXTERN(nerla_frame_debug);
GST_DEBUG_CATEGORY_EXTERN(nerla_graph_debug);
GST_DEBUG_CATEGORY_EXTERN(nerla_video_debug);
GST_DEBUG_CATEGORY_EXTERN(nerla_audio_debug);

namespace nerla {

// Initialises GStreamer once for the process, registers the engine's own
// elements and debug categories. Safe to call from any thread; returns false
// when GStreamer cannot start.
bool ensureGstreamer();

}  // namespace nerla
