// INullVideoRenderer: decodes without showing, through the engine's "NULL
// Video Renderer" sink, at the clock's pace.
#pragma once

#include "video/renderer/renderer_branch.h"
#include "video/renderer/video_renderer.h"

namespace nerla {

class INullVideoRenderer final : public IVideoRenderer2 {
  public:
    bool QueryVideoInfo(NerlaChannelInfo& info) override;
    int32_t BindWindow(NerlaWindow, const NerlaRect*) override { return 0; }
    int32_t RepaintFrame(NerlaWindow, uintptr_t) override { return 0; }
    int32_t SetStreamAlpha(int32_t, float) override { return 0; }
    float GetStreamAlpha(int32_t) override { return 0.0f; }
    int32_t SetOverlay(const NerlaOverlayBitmap*) override { return 0; }
    int32_t SetStreamRect(int32_t, const NerlaRect&) override { return 0; }
    NerlaBitmap* GrabBitmap() override { return nullptr; }
    int32_t GetColorControlRange(NerlaColorRange&) override { return 0; }
    int32_t SetColorControl(int32_t, float) override { return 0; }
    bool AttachToGraph(IDirectShow& channel, GstPad* upstream) override;
    bool VerifyConnection(IDirectShow& channel) override;
    int32_t SetViewValue(int32_t) override { return 0; }
    GstPad* sinkPad() override { return branch_.inputPad(); }
    void Destroy() override { branch_.detach(); }

  private:
    RendererBranch branch_;
};

}  // namespace nerla
