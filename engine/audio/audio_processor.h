// "Nerla Audio Processor": the pass-through element between the audio
// decoder and the audio renderer, where effects and DSP callbacks run.
#pragma once

#include <gst/gst.h>

namespace nerla {

inline constexpr const char* kAudioProcessorName = "Nerla Audio Processor";
inline constexpr const char* kAudioProcessorFactory = "nerlaaudioprocessor";

// Registers the element with GStreamer (once; in-process, no plugin file).
bool registerAudioProcessor();

// A new processor element named kAudioProcessorName, floating reference.
GstElement* makeAudioProcessor();

}  // namespace nerla
