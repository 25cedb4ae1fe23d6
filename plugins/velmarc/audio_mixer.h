// "Velmarc Audio Mixer": a transform on interleaved 32-bit float audio that,
// with mixing on, remixes to the layout and matrix the player chose and
// otherwise passes the audio through. It renegotiates when an option changes.
#pragma once

#include <gst/gst.h>

namespace velmarc {

// A new (floating) mixer element.
GstElement* makeAudioMixer(const char* name);

}  // namespace velmarc
