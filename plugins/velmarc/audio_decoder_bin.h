// The plug-in's audio filter class, "Velmarc Audio Decoder": a bin that takes
// any raw audio of a decoder, converts it to float and remixes it
// ("audioconvert ! Velmarc Audio Mixer").
#pragma once

#include <gst/gst.h>

namespace velmarc {

inline constexpr const char* kAudioDecoderFactory = "velmarcaudiodecoder";

// Registers the element factory in the process, once; false when
// GStreamer is not available.
bool registerAudioDecoder();

}  // namespace velmarc
