// The audio renderer that plays through the desktop's sound server
// (PulseAudio or PipeWire): its default output, or the n-th output device.
#pragma once

#include "audio/audio_renderer.h"
#include "graph/pipeline_branch.h"

namespace nerla {

class IDesktopAudioRenderer final : public IAudioRenderer2 {
  public:
    // choice -1: the default output; n >= 1: the n-th device of
    // Nerla_GetAudioRenderers. False when there is no such device.
    bool AttachToGraph(IDirectShow& channel, int32_t choice) override;
    bool VerifyConnection(IDirectShow& channel, GstPad* upstream) override;
    bool QueryAudioInfo(NerlaChannelInfo& info) override;
    void Activate() override { branch_.activate(); }
    GstPad* sinkPad() override { return branch_.sinkPad(); }
    void Destroy() override { branch_.detach(); }

    int32_t GetVolume() const override { return static_cast<int32_t>(volume_); }
    bool SetVolume(int32_t volume) override;
    int32_t GetPan() const override { return balance_; }
    bool SetPan(int32_t balance) override;

  private:
    GstElement* levelStage() const;

    PipelineBranch branch_;
    double volume_ = 100.0;
    int32_t balance_ = 0;
};

}  // namespace nerla
