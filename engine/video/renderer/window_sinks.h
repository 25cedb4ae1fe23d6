// The X11 video sinks behind the windowed renderer objects, made only when
// they can open the display.
#pragma once

#include <gst/gst.h>

#include "frame/gst_ptr.h"

namespace nerla {

enum class WindowSinkKind { XImage, XVideo, OpenGL };

struct WindowSink {
    GstPtr<GstElement> element;  // null when none can run
    bool colorBalance = false;   // the sink itself offers the picture controls
};

// XVideo falls back to XImage where the X server has no XVideo adaptor.
WindowSink makeWindowSink(WindowSinkKind kind);

}  // namespace nerla
