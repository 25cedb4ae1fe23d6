// The stereoscopic video renderer object: the engine's own sink with its
// presenter CAllocator, drawing every frame through the view-mode scene.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "frame/gst_ptr.h"
#include "graph/pipeline_branch.h"
#include "video/renderer/video_renderer.h"

namespace nerla {

class CAllocator;

class IVMR9Renderer3D final : public IVideoRenderer2 {
  public:
    // `flags`: the channel's stream-creation flag word (source layout).
    explicit IVMR9Renderer3D(uint32_t flags) : flags_(flags) {}
    ~IVMR9Renderer3D() override;

    bool QueryVideoInfo(NerlaChannelInfo& info) override;
    int32_t BindWindow(NerlaWindow window, const NerlaRect* rect) override;
    int32_t RepaintFrame(NerlaWindow window, uintptr_t deviceContext) override;
    int32_t SetStreamAlpha(int32_t stream, float percent) override;
    float GetStreamAlpha(int32_t stream) override;
    int32_t SetOverlay(const NerlaOverlayBitmap* overlay) override;
    int32_t SetStreamRect(int32_t stream, const NerlaRect& rect) override;
    // The presenter keeps no system-memory copy of the frame.
    NerlaBitmap* GrabBitmap() override { return nullptr; }
    int32_t GetColorControlRange(NerlaColorRange& range) override;
    int32_t SetColorControl(int32_t control, float value) override;
    bool AttachToGraph(IDirectShow& channel, GstPad* upstream) override;
    bool VerifyConnection(IDirectShow& channel) override;
    int32_t SetViewValue(int32_t value) override;
    GstPad* sinkPad() override { return branch_.sinkPad(); }
    void Destroy() override;

    // The presenter (null before attaching or when it could not be made).
    CAllocator* presenter() const { return presenter_.get(); }
    GstElement* sinkElement() const { return sink_.get(); }

  private:
    static constexpr int kStreams = 2;

    const uint32_t flags_;
    std::shared_ptr<CAllocator> presenter_;
    PipelineBranch branch_;
    GstPtr<GstElement> sink_;
    gulong linkedHandler_ = 0;
    std::array<float, kStreams> alpha_ = {100.0f, 100.0f};
};

}  // namespace nerla
