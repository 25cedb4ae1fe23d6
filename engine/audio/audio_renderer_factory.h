// The audio renderer object for a renderer choice (option 0x1004).
#pragma once

#include <cstdint>
#include <memory>

#include "audio/audio_renderer.h"

namespace nerla {

// 10094: the null renderer; anything else the desktop renderer (-1 its
// default output, n >= 1 the n-th device).
std::unique_ptr<IAudioRenderer2> makeAudioRenderer(int32_t choice);

}  // namespace nerla
