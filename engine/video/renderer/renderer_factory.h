// Creates the video renderer objects of a channel and of its extra windows.
#pragma once

#include <cstdint>
#include <memory>

#include "video/renderer/renderer_selection.h"
#include "video/renderer/video_renderer.h"

namespace nerla {

// Null for RendererChoice::GraphOwn.
std::unique_ptr<IVideoRenderer2> makeRenderer(RendererChoice choice, uint32_t flags);

// An extra window's renderer object by type: 1 VMR-7 windowed, 2 VMR-9
// windowed, 3 VMR-7 windowless, 4 VMR-9 windowless, 5 VMR-9 windowed, 6 null;
// null for any other type.
std::unique_ptr<IVideoRenderer2> makeWindowRenderer(int32_t type);

}  // namespace nerla
