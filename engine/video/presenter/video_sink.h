// "Nerla Video Renderer": the engine's own video sink. It hands every
// decoded frame to its presenter on the streaming thread and takes windows
// through GstVideoOverlay.
#pragma once

#include <gst/gst.h>

#include <memory>

namespace nerla {

class CAllocator;

inline constexpr const char* kVideoSinkName = "Nerla Video Renderer";
inline constexpr const char* kVideoSinkFactory = "nerlavideosink";

// Registers the element with GStreamer (once; in-process).
bool registerVideoSink();

// A new sink named `name` presenting through `presenter`, floating
// reference; null when the element cannot be made.
GstElement* makeVideoSink(std::shared_ptr<CAllocator> presenter, const char* name = kVideoSinkName);

}  // namespace nerla
