#include "dspFastFourier.h"

#include <algorithm>
#include <vector>

#include "dspFFTKernels.h"

namespace corvane::dsp {
namespace {

constexpr int kSizeCount = 13;

// Built by the recurrence: from n to 2n the toggle f flips, the offset becomes
// 2o - f, both halves take 2T_n, and n entries from the offset on get +1.
class PositionTables {
  public:
    PositionTables() {
        tables_[0] = {0, 1};
        int f = 1;
        int o = 1;
        for (int s = 1; s < kSizeCount; ++s) {
            const std::vector<uint16_t>& prev = tables_[s - 1];
            const int n = static_cast<int>(prev.size());
            f = 1 - f;
            o = 2 * o - f;
            std::vector<uint16_t>& next = tables_[s];
            next.resize(2 * n);
            for (int i = 0; i < n; ++i) {
                next[i] = next[i + n] = static_cast<uint16_t>(2 * prev[i]);
            }
            for (int i = o; i < o + n; ++i) {
                ++next[i];
            }
        }
    }
    const uint16_t* table(TDCFFTSize size) const { return tables_[static_cast<int>(size)].data(); }

  private:
    std::vector<uint16_t> tables_[kSizeCount];
};

}  // namespace

const uint16_t* UnorderedPositions(TDCFFTSize size) {
    static const PositionTables tables;
    return tables.table(size);
}

TDCFFT::TDCFFT()
    : fSwapBuffer(std::make_unique<TComplexArray>()), fCplx(std::make_unique<TComplexArray>()) {
    Flush();
}

void TDCFFT::Flush() {
    fCplx->fill(TComplex{0.0f, 0.0f});
}

void TDCFFT::FFT() {
    const int n = FFTSizeInt();
    TComplex* data = fCplx->data();
    kernels::Forward(kernels::ActiveKernels(), data, n);
    if (fReOrder) {
        const uint16_t* positions = UnorderedPositions(fFFTSize);
        TComplex* swap = fSwapBuffer->data();
        for (int k = 0; k < n; ++k) {
            swap[k] = data[positions[k]];
        }
        std::copy_n(swap, n, data);
    }
}

void TDCFFT::IFFT() {
    const int n = FFTSizeInt();
    TComplex* data = fCplx->data();
    const kernels::KernelSet& set = kernels::ActiveKernels();
    if (fScale) {
        set.scale(data, n, 1.0f / static_cast<float>(n));
    }
    if (fReOrder) {
        const uint16_t* positions = UnorderedPositions(fFFTSize);
        TComplex* swap = fSwapBuffer->data();
        for (int k = 0; k < n; ++k) {
            swap[positions[k]] = data[k];
        }
        std::copy_n(swap, n, data);
    }
    kernels::Inverse(set, data, n);
}

}  // namespace corvane::dsp
