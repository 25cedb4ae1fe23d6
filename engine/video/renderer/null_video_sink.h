// "NULL Video Renderer": a video sink that takes any raw video, keeps the
// clock's pace and discards every frame.
#pragma once

#include <gst/gst.h>

namespace nerla {

inline constexpr const char* kNullVideoSinkName = "NULL Video Renderer";
inline constexpr const char* kNullVideoSinkFactory = "nerlanullvideorenderer";

// Registers the element with GStreamer (once; in-process, no plugin file).
bool registerNullVideoSink();

// A new sink named kNullVideoSinkName, floating reference; null on failure.
GstElement* makeNullVideoSink();

}  // namespace nerla
