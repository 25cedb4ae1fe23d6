// The modulated delay behind chorus and flanger: per channel a delay line
// read at base delay x (1 + depth x LFO), with feedback, mixed with the dry
// signal. The LFO is a sine or a triangle; right-hand channels run it with
// a phase offset against the left-hand ones.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/fx/delay_line.h"

namespace nerla {

class ModulatedDelay {
  public:
    struct Settings {
        float wet;           // 0..1
        float depth;         // 0..1
        float feedback;      // -1..1
        float frequency;     // Hz
        bool sine;           // else triangle
        float delayMs;       // base delay
        float phaseDegrees;  // right against left
    };

    // Sizes the lines for base delays up to maxDelayMs and clears them.
    void prepare(int32_t rate, int32_t channels, float maxDelayMs);
    void configure(const Settings& settings);
    void apply(float* samples, uint32_t frames);

  private:
    float lfo(size_t channel, double phase) const;

    int32_t rate_ = 0;
    std::vector<DelayLine> lines_;
    std::vector<float> sin_, cos_;  // sine LFO phasors per channel
    float maxTap_ = 1.0f;
    float base_ = 1.0f;  // samples
    float depth_ = 0.0f;
    float wet_ = 0.5f;
    float dry_ = 0.5f;
    float feedback_ = 0.0f;
    bool sine_ = true;
    double step_ = 0.0;    // LFO cycles per frame
    double offset_ = 0.0;  // right-hand phase offset in cycles
    double phase_ = 0.0;   // left-hand phase in cycles, 0..1
};

}  // namespace nerla
