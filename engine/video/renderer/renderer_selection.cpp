#include "video/renderer/renderer_selection.h"

#include "frame/stream_flags.h"

namespace nerla {

RendererChoice chooseRenderer(uint32_t flags, int32_t configured) {
    // Custom renderer data would come first; there is no custom renderer
    // object yet, so a channel is chosen for as if it had none.
    if (sourceLayout(flags) != SourceLayout::None) {
        // With the 3D Vision pattern the NVIDIA renderer object would be
        // chosen; until it exists the stereoscopic one takes its place.
        return RendererChoice::Stereoscopic;
    }
    // The mixing pattern would choose the mixing renderer object; until it
    // exists the configuration decides, as without the pattern.
    switch (configured) {
        case 2:
            return RendererChoice::Vmr9Windowed;
        case 3:
            return RendererChoice::Vmr7Windowless;
        case 4:
            return RendererChoice::Vmr9Windowless;
        case 5:
            return RendererChoice::Evr;
        case 6:
            return RendererChoice::Null;
        case 7:
            return RendererChoice::GraphOwn;
        default:
            return RendererChoice::Vmr7Windowed;
    }
}

}  // namespace nerla
