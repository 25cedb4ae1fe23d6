// IBasicVideoRenderer: adopts whichever video sink the graph builder put into
// the pipeline itself ("Video Renderer").
#pragma once

#include "frame/gst_ptr.h"
#include "video/renderer/video_renderer.h"

namespace nerla {

class IBasicVideoRenderer final : public IVideoRenderer2 {
  public:
    bool QueryVideoInfo(NerlaChannelInfo& info) override;
    // The rectangle is read as x, y, width, height.
    int32_t BindWindow(NerlaWindow window, const NerlaRect* rect) override;
    // The graph's own sink repaints itself.
    int32_t RepaintFrame(NerlaWindow, uintptr_t) override { return 1; }
    int32_t SetStreamAlpha(int32_t, float) override { return 1; }
    float GetStreamAlpha(int32_t) override { return 0.0f; }
    int32_t SetOverlay(const NerlaOverlayBitmap*) override { return 0; }
    int32_t SetStreamRect(int32_t, const NerlaRect&) override { return 0; }
    NerlaBitmap* GrabBitmap() override;
    int32_t GetColorControlRange(NerlaColorRange&) override { return 0; }
    int32_t SetColorControl(int32_t, float) override { return 0; }
    bool AttachToGraph(IDirectShow& channel, GstPad* upstream) override;
    bool VerifyConnection(IDirectShow& channel) override;
    int32_t SetViewValue(int32_t) override { return 0; }
    GstPad* sinkPad() override { return nullptr; }
    void Destroy() override;

    // The adopted sink's input (borrowed), or null.
    GstPad* adoptedPad() const { return sinkPad_.get(); }

  private:
    GstPtr<GstElement> sink_;
    GstPtr<GstPad> sinkPad_;
};

}  // namespace nerla
