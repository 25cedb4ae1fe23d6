// IEVRRenderer: the enhanced renderer object, drawing with glimagesink behind
// the mixer. It reports the ranges of its picture controls but leaves them
// as they are; it mixes an overlay but has no stream alpha or rectangle.
#pragma once

#include "video/renderer/video_renderer.h"
#include "video/renderer/window_video_chain.h"

namespace nerla {

class IEVRRenderer final : public IVideoRenderer2 {
  public:
    bool QueryVideoInfo(NerlaChannelInfo& info) override { return chain_.videoInfo(info); }
    // The rectangle is read as left, top, right, bottom.
    int32_t BindWindow(NerlaWindow window, const NerlaRect* rect) override;
    int32_t RepaintFrame(NerlaWindow window, uintptr_t deviceContext) override;
    int32_t SetStreamAlpha(int32_t, float) override { return 1; }
    float GetStreamAlpha(int32_t) override { return 0.0f; }
    int32_t SetOverlay(const NerlaOverlayBitmap* overlay) override;
    int32_t SetStreamRect(int32_t, const NerlaRect&) override { return 0; }
    NerlaBitmap* GrabBitmap() override { return chain_.grab(); }
    int32_t GetColorControlRange(NerlaColorRange& range) override;
    int32_t SetColorControl(int32_t, float) override { return 0; }
    bool AttachToGraph(IDirectShow& channel, GstPad* upstream) override;
    bool VerifyConnection(IDirectShow&) override { return chain_.linked(); }
    int32_t SetViewValue(int32_t) override { return 0; }
    GstPad* sinkPad() override { return chain_.inputPad(); }
    void Destroy() override { chain_.destroy(); }

  private:
    WindowVideoChain chain_;
};

}  // namespace nerla
