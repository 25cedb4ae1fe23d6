#include "audio/spectrum_analyser.h"

#include <cmath>
#include <new>
#include <numbers>

namespace nerla {

SpectrumAnalyser::SpectrumAnalyser(int n)
    : n_(n),
      window_(static_cast<size_t>(n)),
      input_(static_cast<size_t>(n)),
      bins_(static_cast<size_t>(n / 2 + 1)),
      config_(kiss_fftr_alloc(n, 0, nullptr, nullptr)) {
    if (!config_) {
        throw std::bad_alloc();
    }
    float sum = 0.0f;
    for (int i = 0; i < n; ++i) {
        window_[i] =
            std::sin(std::numbers::pi_v<float> * static_cast<float>(i) / static_cast<float>(n - 1));
        sum += window_[i];
    }
    scale_ = 2.0f / sum;
}

void SpectrumAnalyser::magnitudes(const float* samples, float* out) {
    for (int i = 0; i < n_; ++i) {
        input_[i] = samples[i] * window_[i];
    }
    kiss_fftr(config_.get(), input_.data(), bins_.data());
    for (int k = 0; k < n_ / 2; ++k) {
        const float re = bins_[k].r * scale_;
        const float im = bins_[k].i * scale_;
        out[k] = std::sqrt(re * re + im * im);
    }
}

}  // namespace nerla
