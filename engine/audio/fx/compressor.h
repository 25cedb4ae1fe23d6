// Type 4: compressor (DSFXCompressor). The loudest channel drives a peak
// detector that falls with the release time; above the threshold the level
// is reduced by the ratio, the reduction rising with the attack time, and
// the make-up gain follows. The detector hears the signal the predelay late,
// so the attack starts that much after the threshold is passed.
#pragma once

#include "audio/fx/delay_line.h"
#include "audio/fx/record_fx.h"
#include "nerla.h"

namespace nerla {

class CCOMPRESSOR final : public CRecordFX<DSFXCompressor> {
  public:
    CCOMPRESSOR();

  private:
    const char* name() const override { return "compressor"; }
    bool accept(const DSFXCompressor& record) const override;
    void prepare() override;
    void configure() override;
    void apply(float* samples, uint32_t frames) override;

    DelayLine levels_;  // the detector's predelay
    size_t predelay_ = 0;
    float attack_ = 0.0f;  // per-sample smoothing coefficients
    float release_ = 0.0f;
    float threshold_ = 1.0f;  // linear
    float thresholdDb_ = 0.0f;
    float slope_ = 0.0f;  // 1 - 1 / ratio
    float makeUpDb_ = 0.0f;
    float envelope_ = 0.0f;
    float reductionDb_ = 0.0f;
};

}  // namespace nerla
