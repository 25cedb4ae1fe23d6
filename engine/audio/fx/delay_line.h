// One channel's delay line: a power-of-two ring of float samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nerla {

class DelayLine {
  public:
    // Room for delays of up to `maxDelay` samples; clears the line.
    void resize(size_t maxDelay) {
        size_t size = 1;
        while (size < maxDelay + 2) {
            size <<= 1;
        }
        samples_.assign(size, 0.0f);
        mask_ = size - 1;
        position_ = 0;
    }
    void clear() { std::fill(samples_.begin(), samples_.end(), 0.0f); }

    // The sample pushed `delay` pushes ago (1 = the last one).
    float tap(size_t delay) const { return samples_[(position_ - delay) & mask_]; }
    // Linear interpolation between whole taps; delay >= 1.
    float tap(float delay) const {
        const auto whole = static_cast<size_t>(delay);
        const float fraction = delay - static_cast<float>(whole);
        const float a = samples_[(position_ - whole) & mask_];
        const float b = samples_[(position_ - whole - 1) & mask_];
        return a + (b - a) * fraction;
    }
    void push(float sample) {
        samples_[position_] = sample;
        position_ = (position_ + 1) & mask_;
    }

    // The longest delay the line holds.
    size_t capacity() const { return samples_.empty() ? 0 : samples_.size() - 2; }

  private:
    std::vector<float> samples_;
    size_t mask_ = 0;
    size_t position_ = 0;
};

}  // namespace nerla
