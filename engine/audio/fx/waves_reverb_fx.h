// Type 1: reverb (DSFXWavesReverb). The channels' mix, after the input
// gain, passes four allpass diffusers into an eight-line feedback delay
// network with an orthogonal (Hadamard) mixing matrix. Each line loses
// 60 dB over the reverb time at low frequencies and over the time x the
// high-frequency ratio at the top of the band, through a one-pole filter.
// Even lines feed left-hand channels, odd lines right-hand ones; the mix
// sets the wet level in dB with the dry level keeping the power constant.
#pragma once

#include <array>

#include "audio/fx/delay_line.h"
#include "audio/fx/record_fx.h"
#include "nerla.h"

namespace nerla {

class CWaveFX final : public CRecordFX<DSFXWavesReverb> {
  public:
    CWaveFX();

  private:
    static constexpr size_t kLines = 8;
    static constexpr size_t kDiffusers = 4;

    const char* name() const override { return "reverb"; }
    bool accept(const DSFXWavesReverb& record) const override;
    void prepare() override;
    void configure() override;
    void apply(float* samples, uint32_t frames) override;

    std::array<DelayLine, kLines> lines_;
    std::array<size_t, kLines> lengths_{};
    std::array<float, kLines> gain_{};  // line filter: y = gain x + pole y'
    std::array<float, kLines> pole_{};
    std::array<float, kLines> filtered_{};
    std::array<DelayLine, kDiffusers> diffusers_;
    std::array<size_t, kDiffusers> diffuserLengths_{};
    float inGain_ = 1.0f;
    float wet_ = 1.0f;
    float dry_ = 0.0f;
    float tailScale_ = 1.0f;
};

}  // namespace nerla
