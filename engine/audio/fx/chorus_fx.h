// Type 3: chorus (DSFXChorus), a modulated delay of 0 to 20 ms.
#pragma once

#include "audio/fx/modulated_delay.h"
#include "audio/fx/record_fx.h"
#include "nerla.h"

namespace nerla {

class CChorusFX final : public CRecordFX<DSFXChorus> {
  public:
    CChorusFX();

  private:
    const char* name() const override { return "chorus"; }
    bool accept(const DSFXChorus& record) const override;
    void prepare() override;
    void configure() override;
    void apply(float* samples, uint32_t frames) override { delay_.apply(samples, frames); }

    ModulatedDelay delay_;
};

}  // namespace nerla
