// Type 6: flanger (DSFXFlanger), a modulated delay of 0 to 4 ms.
#pragma once

#include "audio/fx/modulated_delay.h"
#include "audio/fx/record_fx.h"
#include "nerla.h"

namespace nerla {

class CFLANGERFX final : public CRecordFX<DSFXFlanger> {
  public:
    CFLANGERFX();

  private:
    const char* name() const override { return "flanger"; }
    bool accept(const DSFXFlanger& record) const override;
    void prepare() override;
    void configure() override;
    void apply(float* samples, uint32_t frames) override { delay_.apply(samples, frames); }

    ModulatedDelay delay_;
};

}  // namespace nerla
