#include "video/renderer/renderer_factory.h"

#include "video/renderer/evr_renderer.h"
#include "video/renderer/null_video_renderer.h"
#include "video/renderer/vmr7_renderer.h"
#include "video/renderer/vmr9_renderer.h"
#include "video/renderer/vmr9_renderer_3d.h"

namespace nerla {

std::unique_ptr<IVideoRenderer2> makeRenderer(RendererChoice choice, uint32_t flags) {
    switch (choice) {
        case RendererChoice::Stereoscopic:
            return std::make_unique<IVMR9Renderer3D>(flags);
        case RendererChoice::Vmr7Windowed:
            return std::make_unique<IVMR7Renderer>(true);
        case RendererChoice::Vmr9Windowed:
            return std::make_unique<IVMR9Renderer>(true);
        case RendererChoice::Vmr7Windowless:
            return std::make_unique<IVMR7Renderer>(false);
        case RendererChoice::Vmr9Windowless:
            return std::make_unique<IVMR9Renderer>(false);
        case RendererChoice::Evr:
            return std::make_unique<IEVRRenderer>();
        case RendererChoice::Null:
            return std::make_unique<INullVideoRenderer>();
        case RendererChoice::GraphOwn:
            return nullptr;
    }
    return nullptr;
}

std::unique_ptr<IVideoRenderer2> makeWindowRenderer(int32_t type) {
    switch (type) {
        case 1:
            return makeRenderer(RendererChoice::Vmr7Windowed, 0);
        case 2:
        case 5:
            return makeRenderer(RendererChoice::Vmr9Windowed, 0);
        case 3:
            return makeRenderer(RendererChoice::Vmr7Windowless, 0);
        case 4:
            return makeRenderer(RendererChoice::Vmr9Windowless, 0);
        case 6:
            return makeRenderer(RendererChoice::Null, 0);
        default:
            return nullptr;
    }
}

}  // namespace nerla
