// Which video renderer object a new channel gets, from its stream-creation
// flag word and the library's renderer configuration value.
#pragma once

#include <cstdint>

namespace nerla {

enum class RendererChoice {
    Stereoscopic,
    Vmr7Windowed,
    Vmr9Windowed,
    Vmr7Windowless,
    Vmr9Windowless,
    Evr,
    Null,
    GraphOwn,  // none in advance: the graph's own sink is adopted after rendering
};

// First match wins: a stereoscopic layout, then the configuration value
// (1..7; anything else counts as 1).
RendererChoice chooseRenderer(uint32_t flags, int32_t configured);

}  // namespace nerla
