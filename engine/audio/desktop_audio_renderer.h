// The default audio renderer: the desktop's sound server (PulseAudio or PipeWire).
#pragma once

#include "audio/audio_renderer.h"
#include "graph/pipeline_branch.h"

namespace nerla {

class IDesktopAudioRenderer final : public IAudioRenderer2 {
  public:
    bool AttachToGraph(IDirectShow& channel, int32_t choice) override;
    bool VerifyConnection(IDirectShow& channel, GstPad* upstream) override;
    bool QueryAudioInfo(NerlaChannelInfo& info) override;
    void Activate() override { branch_.activate(); }
    GstPad* sinkPad() override { return branch_.sinkPad(); }
    void Destroy() override { branch_.detach(); }

  private:
    PipelineBranch branch_;
};

}  // namespace nerla
