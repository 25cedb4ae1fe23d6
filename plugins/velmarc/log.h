// The decoder plug-in's GStreamer debug category (GST_DEBUG=velmarc:5).
#pragma once

#include <gst/gst.h>

GST_DEBUG_CATEGORY_EXTERN(velmarc_debug);

namespace velmarc {

// Starts GStreamer if the host has not (the player may call first) and
// registers the category; false when GStreamer cannot start.
bool ensureGstreamer();

}  // namespace velmarc
