// The audio renderer that discards the sound at real-time pace: "NULL Audio
// Renderer".
#pragma once

#include "audio/audio_renderer.h"
#include "graph/pipeline_branch.h"

namespace nerla {

inline constexpr int32_t kNullAudioRendererChoice = 10094;

class INullAudioRenderer final : public IAudioRenderer2 {
  public:
    bool AttachToGraph(IDirectShow& channel, int32_t choice) override;
    // Links `upstream` (an exchange of renderers) when given; an unconnected
    // renderer leaves the pipeline.
    bool VerifyConnection(IDirectShow& channel, GstPad* upstream) override;
    bool QueryAudioInfo(NerlaChannelInfo& info) override;
    void Activate() override { branch_.activate(); }
    GstPad* sinkPad() override { return branch_.sinkPad(); }
    void Destroy() override { branch_.detach(); }

    int32_t GetVolume() const override { return 100; }
    bool SetVolume(int32_t) override { return true; }
    int32_t GetPan() const override { return 0; }
    bool SetPan(int32_t) override { return true; }

  private:
    PipelineBranch branch_;
};

}  // namespace nerla
