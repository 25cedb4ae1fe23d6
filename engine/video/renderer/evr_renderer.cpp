#include "video/renderer/evr_renderer.h"

#include "frame/library.h"

namespace nerla {

bool IEVRRenderer::AttachToGraph(IDirectShow& channel, GstPad* upstream) {
    if (!chain_.attach(channel, upstream, WindowSinkKind::OpenGL, true)) {
        return false;
    }
    if (const NerlaWindow window = Library::instance().defaultWindow()) {
        chain_.bind(window, nullptr);
    }
    return true;
}

int32_t IEVRRenderer::BindWindow(NerlaWindow window, const NerlaRect* rect) {
    if (!rect) {
        return chain_.bind(window, nullptr) ? 1 : 0;
    }
    const NerlaRect area{rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
    return chain_.bind(window, &area) ? 1 : 0;
}

int32_t IEVRRenderer::RepaintFrame(NerlaWindow /*window*/, uintptr_t /*deviceContext*/) {
    return chain_.expose() ? 1 : 0;
}

int32_t IEVRRenderer::SetOverlay(const NerlaOverlayBitmap* overlay) {
    return chain_.mixer().setOverlay(overlay) ? 1 : 0;
}

int32_t IEVRRenderer::GetColorControlRange(NerlaColorRange& range) {
    return chain_.colors().range(range) ? 1 : 0;
}

}  // namespace nerla
