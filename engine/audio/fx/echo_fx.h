// Type 5: echo (DSFXEcho). Each channel has its own delay line with
// feedback; left-hand channels take the left delay, right-hand ones the
// right delay, and with pan delay every repeat changes sides.
#pragma once

#include <vector>

#include "audio/fx/delay_line.h"
#include "audio/fx/record_fx.h"
#include "nerla.h"

namespace nerla {

class CEchoFX final : public CRecordFX<DSFXEcho> {
  public:
    CEchoFX();

  private:
    const char* name() const override { return "echo"; }
    bool accept(const DSFXEcho& record) const override;
    void prepare() override;
    void configure() override;
    void apply(float* samples, uint32_t frames) override;

    std::vector<DelayLine> lines_;
    std::vector<size_t> delays_;    // per channel, in samples
    std::vector<size_t> feedFrom_;  // the channel whose repeat feeds this line
    std::vector<float> repeats_;    // this frame's delayed samples
    float wet_ = 0.5f;
    float dry_ = 0.5f;
    float feedback_ = 0.5f;
};

}  // namespace nerla
