// "nerlaoutputlevel": the volume and balance stage in front of an audio
// sink, in hundredths of a decibel as the renderer's interface gives them.
#pragma once

#include <gst/gst.h>

#include <cstdint>

namespace nerla {

inline constexpr const char* kOutputLevelFactory = "nerlaoutputlevel";

bool registerOutputLevel();

// Attenuation of the whole signal, -10000 (silence) .. 0.
void setOutputVolume(GstElement* stage, int32_t hundredthsDb);
// Positive values attenuate the left side by that much, negative ones the
// right side; -10000 .. 10000.
void setOutputBalance(GstElement* stage, int32_t hundredthsDb);

}  // namespace nerla
