// IVMR9Renderer3D: the stereoscopic renderer object (placeholder until the
// presenter lands: it never attaches, so channels fall back to the basic
// renderer object).
#pragma once

#include <cstdint>

#include "video/renderer/video_renderer.h"

namespace nerla {

class IVMR9Renderer3D final : public IVideoRenderer2 {
  public:
    explicit IVMR9Renderer3D(uint32_t flags) : flags_(flags) {}

    bool QueryVideoInfo(NerlaChannelInfo&) override { return false; }
    int32_t BindWindow(NerlaWindow, const NerlaRect*) override { return 1; }
    int32_t RepaintFrame(NerlaWindow, uintptr_t) override { return 0; }
    int32_t SetStreamAlpha(int32_t, float) override { return 0; }
    float GetStreamAlpha(int32_t) override { return 0.0f; }
    int32_t SetOverlay(const NerlaOverlayBitmap*) override { return 0; }
    int32_t SetStreamRect(int32_t, const NerlaRect&) override { return 0; }
    NerlaBitmap* GrabBitmap() override { return nullptr; }
    int32_t GetColorControlRange(NerlaColorRange&) override { return 0; }
    int32_t SetColorControl(int32_t, float) override { return 0; }
    bool AttachToGraph(IDirectShow&, GstPad*) override;
    bool VerifyConnection(IDirectShow&) override { return false; }
    int32_t SetViewValue(int32_t) override { return 0; }
    GstPad* sinkPad() override { return nullptr; }
    void Destroy() override {}

    uint32_t flags() const { return flags_; }

  private:
    const uint32_t flags_;
};

}  // namespace nerla
