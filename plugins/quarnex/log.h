// The splitter's GStreamer debug category (GST_DEBUG=quarnex:5).
#pragma once

#include <gst/gst.h>

GST_DEBUG_CATEGORY_EXTERN(quarnex_debug);

namespace quarnex {

// Registers the category once; needs GStreamer started.
void ensureLog();

}  // namespace quarnex
