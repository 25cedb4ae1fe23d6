// In-place complex FFT of power-of-two sizes 2..8192 on a fixed buffer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace corvane::dsp {

struct TComplex {
    float re;
    float im;
};

constexpr int kMaxFFTSize = 8192;
using TComplexArray = std::array<TComplex, kMaxFFTSize>;
using PComplexArray = TComplex*;

enum class TDCFFTSize : uint8_t {
    fts2,
    fts4,
    fts8,
    fts16,
    fts32,
    fts64,
    fts128,
    fts256,
    fts512,
    fts1024,
    fts2048,
    fts4096,
    fts8192,
};

constexpr int SizeInPoints(TDCFFTSize size) {
    return 2 << static_cast<int>(size);
}

// Position T[k] of the unordered buffer holds frequency bin k.
const uint16_t* UnorderedPositions(TDCFFTSize size);

// Forward: X[k] = sum x[n] e^(+2 pi i nk/N), never scaled. Inverse: the
// negative exponent, divided by N when Scale is set. With ReOrder clear the
// spectrum stays in (and the inverse expects) the unordered layout.
class TDCFFT {
  public:
    TDCFFT();

    void FFT();
    void IFFT();
    void Flush();

    TDCFFTSize FFTSize() const { return fFFTSize; }
    void SetFFTSize(TDCFFTSize size) { fFFTSize = size; }
    int FFTSizeInt() const { return SizeInPoints(fFFTSize); }
    bool ReOrder() const { return fReOrder; }
    void SetReOrder(bool reOrder) { fReOrder = reOrder; }
    bool Scale() const { return fScale; }
    void SetScale(bool scale) { fScale = scale; }
    PComplexArray Complex() { return fCplx->data(); }
    const TComplex* Complex() const { return fCplx->data(); }

  private:
    std::unique_ptr<TComplexArray> fSwapBuffer;
    std::unique_ptr<TComplexArray> fCplx;
    bool fScale = true;
    bool fReOrder = true;
    TDCFFTSize fFFTSize = TDCFFTSize::fts512;
};

}  // namespace corvane::dsp
