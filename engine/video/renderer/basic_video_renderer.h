// The basic video renderer object: adopts whichever video sink the graph
// builder put into the pipeline itself.
#pragma once

#include "frame/gst_ptr.h"
#include "video/renderer/video_renderer.h"

namespace nerla {

class CBasicVideoRenderer final : public IVideoRenderer2 {
  public:
    bool AttachToGraph(IDirectShow& channel) override;
    bool VerifyConnection(IDirectShow& channel) override;
    bool QueryVideoInfo(NerlaChannelInfo& info) override;
    int32_t BindWindow(NerlaWindow window, const NerlaRect* rect) override;
    GstPad* sinkPad() override { return nullptr; }
    void Destroy() override;

  private:
    GstPtr<GstElement> sink_;
    GstPtr<GstPad> sinkPad_;
};

}  // namespace nerla
