#include "audio/fx/modulated_delay.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nerla {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double wrap(double cycles) {
    return cycles - std::floor(cycles);
}

}  // namespace

void ModulatedDelay::prepare(int32_t rate, int32_t channels, float maxDelayMs) {
    rate_ = rate;
    const auto longest =
        static_cast<size_t>(std::ceil(2.0f * maxDelayMs * static_cast<float>(rate) / 1000.0f)) + 2;
    lines_.resize(static_cast<size_t>(channels));
    for (DelayLine& line : lines_) {
        line.resize(longest);
    }
    maxTap_ = static_cast<float>(longest);
    sin_.assign(lines_.size(), 0.0f);
    cos_.assign(lines_.size(), 1.0f);
    phase_ = 0.0;
}

void ModulatedDelay::configure(const Settings& s) {
    wet_ = s.wet;
    dry_ = 1.0f - s.wet;
    depth_ = s.depth;
    feedback_ = s.feedback;
    sine_ = s.sine;
    base_ = s.delayMs * static_cast<float>(rate_) / 1000.0f;
    step_ = rate_ > 0 ? s.frequency / rate_ : 0.0;
    offset_ = s.phaseDegrees / 360.0;
}

// -1..1; the triangle starts at its top like the sine's cosine phase.
float ModulatedDelay::lfo(size_t channel, double phase) const {
    const double cycles = wrap(phase + (channel % 2 == 1 ? offset_ : 0.0));
    if (sine_) {
        return static_cast<float>(std::sin(kTwoPi * cycles));
    }
    return static_cast<float>(4.0 * std::abs(cycles - 0.5) - 1.0);
}

void ModulatedDelay::apply(float* samples, uint32_t frames) {
    const size_t channels = lines_.size();
    // The sine LFO turns as a phasor, set afresh from the phase every buffer.
    for (size_t c = 0; c < channels && sine_; ++c) {
        const double cycles = wrap(phase_ + (c % 2 == 1 ? offset_ : 0.0));
        sin_[c] = static_cast<float>(std::sin(kTwoPi * cycles));
        cos_[c] = static_cast<float>(std::cos(kTwoPi * cycles));
    }
    const auto turnSin = static_cast<float>(std::sin(kTwoPi * step_));
    const auto turnCos = static_cast<float>(std::cos(kTwoPi * step_));
    double phase = phase_;
    for (uint32_t i = 0; i < frames; ++i, samples += channels) {
        for (size_t c = 0; c < channels; ++c) {
            float modulation;
            if (sine_) {
                modulation = sin_[c];
                const float s = sin_[c] * turnCos + cos_[c] * turnSin;
                cos_[c] = cos_[c] * turnCos - sin_[c] * turnSin;
                sin_[c] = s;
            } else {
                modulation = lfo(c, phase);
            }
            const float delay = std::clamp(base_ * (1.0f + depth_ * modulation), 1.0f, maxTap_);
            DelayLine& line = lines_[c];
            const float x = samples[c];
            const float y = line.tap(delay);
            line.push(x + feedback_ * y);
            samples[c] = dry_ * x + wet_ * y;
        }
        phase += step_;
    }
    phase_ = wrap(phase);
}

}  // namespace nerla
