// A windowed real FFT of n samples (KISS FFT): n/2 magnitudes on the scale
// of the samples, so that a sine of amplitude A on a bin reads about A.
#pragma once

#include <kiss_fftr.h>

#include <memory>
#include <vector>

namespace nerla {

class SpectrumAnalyser {
  public:
    // n even, at least 4.
    explicit SpectrumAnalyser(int n);

    // n samples in, n/2 magnitudes out.
    void magnitudes(const float* samples, float* out);

  private:
    struct ConfigFree {
        void operator()(kiss_fftr_cfg config) const { kiss_fftr_free(config); }
    };

    int n_;
    std::vector<float> window_;
    float scale_;  // 2 / sum of the window
    std::vector<float> input_;
    std::vector<kiss_fft_cpx> bins_;
    std::unique_ptr<std::remove_pointer_t<kiss_fftr_cfg>, ConfigFree> config_;
};

}  // namespace nerla
