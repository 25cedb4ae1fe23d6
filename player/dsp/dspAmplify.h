// Per-channel gain in integer arithmetic; 10000 is unity.
#pragma once

#include <array>

#include "dspInterfaces.h"
#include "dspSampleProcessor.h"

namespace corvane::dsp {

class TDCAmplify : public TDCSampleProcessor, public IDCAmplify {
  public:
    TDCAmplify();

    void Process(void* buffer, int size, int bits, int channels, bool isFloat) override;
    void SetVolume(uint8_t channel, int volume) override;
    int GetVolume(uint8_t channel) const override;

  private:
    template <typename Format>
    void processChunk(uint8_t* chunk, int frames, int channels);

    std::array<int32_t, kMaxChannels> fVolume;
};

}  // namespace corvane::dsp
