#include "video/renderer/vmr_renderer.h"

#include "frame/library.h"
#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {

bool VmrRenderer::AttachToGraph(IDirectShow& channel, GstPad* upstream) {
    if (!chain_.attach(channel, upstream, sink_, pictureControls_)) {
        return false;
    }
    if (!windowed_) {
        if (const NerlaWindow window = Library::instance().defaultWindow()) {
            chain_.bind(window, nullptr);
        }
    }
    return true;
}

bool VmrRenderer::VerifyConnection(IDirectShow& /*channel*/) {
    return chain_.linked();
}

bool VmrRenderer::QueryVideoInfo(NerlaChannelInfo& info) {
    return chain_.videoInfo(info);
}

int32_t VmrRenderer::BindWindow(NerlaWindow window, const NerlaRect* rect) {
    if (windowed_ || !rect) {
        chain_.bind(window, rect);
    } else {
        // Left, top, right, bottom.
        const NerlaRect area{rect->left, rect->top, rect->right - rect->left,
                             rect->bottom - rect->top};
        chain_.bind(window, &area);
    }
    return windowed_ ? 0 : 1;
}

int32_t VmrRenderer::RepaintFrame(NerlaWindow /*window*/, uintptr_t /*deviceContext*/) {
    if (!windowed_) {
        chain_.expose();
    }
    return 1;
}

int32_t VmrRenderer::SetStreamAlpha(int32_t stream, float percent) {
    return chain_.mixer().setAlpha(stream, percent / 100.0f) ? 1 : 0;
}

float VmrRenderer::GetStreamAlpha(int32_t stream) {
    float alpha = 0.0f;
    return chain_.mixer().alpha(stream, alpha) ? alpha * 100.0f : 0.0f;
}

int32_t VmrRenderer::SetOverlay(const NerlaOverlayBitmap* overlay) {
    return chain_.mixer().setOverlay(overlay) ? 1 : 0;
}

// Whole percentages of the video size.
int32_t VmrRenderer::SetStreamRect(int32_t stream, const NerlaRect& rect) {
    NerlaChannelInfo info{};
    if (!QueryVideoInfo(info) || info.videoWidth <= 0 || info.videoHeight <= 0) {
        return 0;
    }
    const auto percent = [](int32_t coordinate, int32_t size) {
        return static_cast<float>(static_cast<int64_t>(coordinate) * 100 / size) / 100.0f;
    };
    const NormalRect normal{
        percent(rect.left, info.videoWidth), percent(rect.top, info.videoHeight),
        percent(rect.right, info.videoWidth), percent(rect.bottom, info.videoHeight)};
    return chain_.mixer().setOutputRect(stream, normal) ? 1 : 0;
}

NerlaBitmap* VmrRenderer::GrabBitmap() {
    return chain_.grab();
}

}  // namespace nerla
