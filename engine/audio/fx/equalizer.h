// Type 2: one parametric equaliser band (DSFXParamEq), a peaking biquad at
// the centre frequency with the band's width and gain.
#pragma once

#include <vector>

#include "audio/fx/record_fx.h"
#include "nerla.h"

namespace nerla {

class CEqualizer final : public CRecordFX<DSFXParamEq> {
  public:
    CEqualizer();

  private:
    const char* name() const override { return "parametric equaliser"; }
    bool accept(const DSFXParamEq& record) const override;
    void report(DSFXParamEq& record) const override;
    void prepare() override;
    void configure() override;
    void apply(float* samples, uint32_t frames) override;

    struct State {
        double z1 = 0;
        double z2 = 0;
    };

    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    bool flat_ = true;
    std::vector<State> state_;
};

}  // namespace nerla
