// Graphic equaliser: per-channel FIR filters designed from a table of bin
// gains, applied by overlap-add fast convolution.
#pragma once

#include <array>
#include <memory>

#include "dspFastFourier.h"
#include "dspInterfaces.h"
#include "dspSampleProcessor.h"

namespace corvane::dsp {

using TEqualizerPrevOut = std::array<std::array<float, 2048>, kMaxChannels>;
using TEqualizerBands = std::array<std::array<float, kMaxFFTSize>, kMaxChannels>;

class TDCEqualizer : public TDCSampleProcessor, public IDCEqualizer {
  public:
    TDCEqualizer();

    void Process(void* buffer, int size, int bits, int channels, bool isFloat) override;

    // Amp in fifths of a decibel; out-of-range channel or index does nothing.
    void SetBand(uint8_t channel, uint16_t index, int8_t amp) override;
    int GetBand(uint8_t channel, uint16_t index) const override;
    void Flush() override;

    void SetEnabled(bool enabled) override;
    void SetSeperate(bool seperate) override;
    TDCFFTSize FFTSize() const { return fFFT.FFTSize(); }
    void SetFFTSize(TDCFFTSize size);

  private:
    void computeFilters();
    template <typename Format>
    void processChunk(uint8_t* chunk, int frames, int channels);
    // Filters one channel, or two at once when second is set.
    template <typename Format>
    void convolve(uint8_t* first, uint8_t* second, int stride, int frames, int channel,
                  int secondChannel);

    TDCFFT fFFT;
    std::array<TDCFFT, kMaxChannels> fCoeff;
    int fFFTSize = 0;
    int fFFTSize_3_4 = 0;
    int fFFTSize_1_2 = 0;
    int fFFTSize_1_4 = 0;
    int fFFTSize_1_8 = 0;
    std::unique_ptr<TEqualizerPrevOut> fPreviousOutput;
    bool fNeedCoeff = true;
    std::unique_ptr<TEqualizerBands> fBands;
};

}  // namespace corvane::dsp
