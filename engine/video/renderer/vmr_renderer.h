// What the VMR-7 and VMR-9 renderer objects share: an X11 sink behind the
// mixer, windowed (the rectangle read as x, y, width, height; binding
// answers 0) or windowless (left, top, right, bottom; answers 1, drawing
// into the library's default window from the start).
#pragma once

#include "video/renderer/video_renderer.h"
#include "video/renderer/window_video_chain.h"

namespace nerla {

class VmrRenderer : public IVideoRenderer2 {
  public:
    bool QueryVideoInfo(NerlaChannelInfo& info) override;
    int32_t BindWindow(NerlaWindow window, const NerlaRect* rect) override;
    int32_t RepaintFrame(NerlaWindow window, uintptr_t deviceContext) override;
    int32_t SetStreamAlpha(int32_t stream, float percent) override;
    float GetStreamAlpha(int32_t stream) override;
    int32_t SetOverlay(const NerlaOverlayBitmap* overlay) override;
    int32_t SetStreamRect(int32_t stream, const NerlaRect& rect) override;
    NerlaBitmap* GrabBitmap() override;
    bool AttachToGraph(IDirectShow& channel, GstPad* upstream) override;
    bool VerifyConnection(IDirectShow& channel) override;
    int32_t SetViewValue(int32_t) override { return 0; }
    GstPad* sinkPad() override { return chain_.inputPad(); }
    void Destroy() override { chain_.destroy(); }

    bool windowed() const { return windowed_; }

  protected:
    VmrRenderer(bool windowed, WindowSinkKind sink, bool pictureControls)
        : windowed_(windowed), sink_(sink), pictureControls_(pictureControls) {}

    WindowVideoChain& chain() { return chain_; }

  private:
    const bool windowed_;
    const WindowSinkKind sink_;
    const bool pictureControls_;
    WindowVideoChain chain_;
};

}  // namespace nerla
