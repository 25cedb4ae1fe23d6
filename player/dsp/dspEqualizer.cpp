#include "dspEqualizer.h"

#include <algorithm>
#include <cmath>

#include "dspSamples.h"

namespace corvane::dsp {
namespace {

using samples::Clamp;

// Each format converts to the equaliser's working scale and back, rounding
// to nearest with ties to even.
struct Unsigned8 {
    static constexpr int kBytes = 1;
    static float read(const uint8_t* p) { return static_cast<float>(p[0]) - 128.0f; }
    static void write(uint8_t* p, float y) {
        p[0] = static_cast<uint8_t>(Clamp<long>(std::lrint(y), -128, 127) + 128);
    }
};

struct Signed16 {
    static constexpr int kBytes = 2;
    static float read(const uint8_t* p) { return samples::Load<int16_t>(p); }
    static void write(uint8_t* p, float y) {
        samples::Save(p, static_cast<int16_t>(Clamp<long>(std::lrint(y), -32768, 32767)));
    }
};

struct Signed24 {
    static constexpr int kBytes = 3;
    static float read(const uint8_t* p) { return static_cast<float>(samples::ReadInt24(p)); }
    static void write(uint8_t* p, float y) {
        samples::WriteInt24(p, static_cast<int32_t>(Clamp<long>(std::lrint(y), -8388608, 8388607)));
    }
};

struct Float32 {
    static constexpr int kBytes = 4;
    static float read(const uint8_t* p) { return samples::Load<float>(p); }
    static void write(uint8_t* p, float y) { samples::Save(p, y); }
};

// Worked on in 16-bit units; scaled back before rounding so that the low
// bits survive.
struct Signed32 {
    static constexpr int kBytes = 4;
    static float read(const uint8_t* p) {
        return static_cast<float>(samples::Load<int32_t>(p)) / 32768.0f;
    }
    static void write(uint8_t* p, float y) {
        const long long v = std::llrint(static_cast<double>(y) * 32768.0);
        samples::Save(p, static_cast<int32_t>(Clamp<long long>(v, -2147483647LL, 2147483647LL)));
    }
};

}  // namespace

TDCEqualizer::TDCEqualizer()
    : fPreviousOutput(std::make_unique<TEqualizerPrevOut>()),
      fBands(std::make_unique<TEqualizerBands>()) {
    for (auto& channel : *fBands) {
        channel.fill(2.0f);
    }
    fFFT.SetScale(true);
    fFFT.SetReOrder(false);
    for (TDCFFT& coeff : fCoeff) {
        coeff.SetScale(true);
        coeff.SetReOrder(false);
    }
    SetFFTSize(TDCFFTSize::fts1024);
    Flush();
}

void TDCEqualizer::SetFFTSize(TDCFFTSize size) {
    fFFT.SetFFTSize(size);
    for (TDCFFT& coeff : fCoeff) {
        coeff.SetFFTSize(size);
    }
    fFFTSize = SizeInPoints(size);
    fFFTSize_3_4 = fFFTSize * 3 / 4;
    fFFTSize_1_2 = fFFTSize / 2;
    fFFTSize_1_4 = fFFTSize / 4;
    fFFTSize_1_8 = fFFTSize / 8;
    fNeedCoeff = true;
}

void TDCEqualizer::SetBand(uint8_t channel, uint16_t index, int8_t amp) {
    if (channel >= kMaxChannels || index >= kMaxFFTSize) {
        return;
    }
    (*fBands)[channel][index] = 2.0f * std::pow(10.0f, amp / 100.0f);
    fNeedCoeff = true;
}

int TDCEqualizer::GetBand(uint8_t channel, uint16_t index) const {
    if (channel >= kMaxChannels || index >= kMaxFFTSize) {
        return 0;
    }
    return static_cast<int>(std::nearbyint(std::log10((*fBands)[channel][index] / 2.0f) * 100.0f));
}

void TDCEqualizer::Flush() {
    for (auto& tail : *fPreviousOutput) {
        tail.fill(0.0f);
    }
}

void TDCEqualizer::SetEnabled(bool enabled) {
    if (enabled == fEnabled) {
        return;
    }
    if (enabled) {
        Flush();
    }
    fEnabled = enabled;
}

void TDCEqualizer::SetSeperate(bool seperate) {
    if (seperate != fSeperate) {
        fSeperate = seperate;
        fNeedCoeff = true;
    }
}

// Every filter is designed when they are separate, so that a later buffer
// with more channels never meets a stale one.
void TDCEqualizer::computeFilters() {
    const int filters = fSeperate ? kMaxChannels : 1;
    const int n = fFFTSize;
    const int taps = fFFTSize_1_4 + 1;
    for (int c = 0; c < filters; ++c) {
        TDCFFT& coeff = fCoeff[c];
        TComplex* h = coeff.Complex();
        std::fill_n(h, n, TComplex{0.0f, 0.0f});
        for (int j = 0; j < fFFTSize_1_2; ++j) {
            h[j].re = (*fBands)[c][j];
        }
        coeff.SetReOrder(true);
        coeff.IFFT();
        coeff.SetReOrder(false);

        // Rotate the real parts by N/8 (the block buffer serves as scratch),
        // keep N/4 + 1 taps, window them.
        TComplex* rotated = fFFT.Complex();
        for (int k = 0; k < n; ++k) {
            rotated[(k + fFFTSize_1_8) % n] = {h[k].re, 0.0f};
        }
        for (int m = 0; m < n; ++m) {
            const float window = m < taps ? 0.5f - 0.5f * std::cos(2.0f * static_cast<float>(M_PI) *
                                                                   m / (fFFTSize_1_4 + 2))
                                          : 0.0f;
            h[m] = {rotated[m].re * window, 0.0f};
        }
        coeff.FFT();
    }
    fNeedCoeff = false;
}

void TDCEqualizer::Process(void* buffer, int size, int bits, int channels, bool isFloat) {
    if (!fEnabled || !ValidFormat(bits, channels)) {
        return;
    }
    if (fNeedCoeff) {
        computeFilters();
    }
    ForEachChunk(buffer, size, bits, channels, [&](uint8_t* chunk, int frames) {
        switch (bits) {
            case 8:
                processChunk<Unsigned8>(chunk, frames, channels);
                break;
            case 16:
                processChunk<Signed16>(chunk, frames, channels);
                break;
            case 24:
                processChunk<Signed24>(chunk, frames, channels);
                break;
            default:
                if (isFloat) {
                    processChunk<Float32>(chunk, frames, channels);
                } else {
                    processChunk<Signed32>(chunk, frames, channels);
                }
        }
    });
}

// Channels past the tenth have no state and stay as they are. With one
// filter for all, two channels share a transform: one rides in the real
// part, the other in the imaginary part, and since the filter is real the
// two results come back apart.
template <typename Format>
void TDCEqualizer::processChunk(uint8_t* chunk, int frames, int channels) {
    const int stride = Format::kBytes * channels;
    const int used = std::min(channels, kMaxChannels);
    for (int c = 0; c < used;) {
        uint8_t* first = chunk + c * Format::kBytes;
        if (!fSeperate && c + 1 < used) {
            convolve<Format>(first, first + Format::kBytes, stride, frames, c, c + 1);
            c += 2;
        } else {
            convolve<Format>(first, nullptr, stride, frames, c, c);
            c += 1;
        }
    }
}

template <typename Format>
void TDCEqualizer::convolve(uint8_t* first, uint8_t* second, int stride, int frames, int channel,
                            int secondChannel) {
    const int n = fFFTSize;
    const int hop = fFFTSize_3_4;
    const int overlap = fFFTSize_1_4;
    const TComplex* h = fCoeff[fSeperate ? channel : 0].Complex();
    float* tail = (*fPreviousOutput)[channel].data();
    float* secondTail = (*fPreviousOutput)[secondChannel].data();
    TComplex* x = fFFT.Complex();
    for (int remaining = frames; remaining > 0; remaining -= hop) {
        const int count = std::min(hop, remaining);
        const int done = (frames - remaining) * stride;
        uint8_t* a = first + done;
        uint8_t* b = second ? second + done : nullptr;
        for (int i = 0; i < count; ++i) {
            x[i] = {Format::read(a + i * stride), b ? Format::read(b + i * stride) : 0.0f};
        }
        std::fill(x + count, x + n, TComplex{0.0f, 0.0f});
        fFFT.FFT();
        for (int j = 0; j < n; ++j) {
            const TComplex u = x[j], v = h[j];
            x[j] = {u.re * v.re - u.im * v.im, u.re * v.im + u.im * v.re};
        }
        fFFT.IFFT();
        for (int k = 0; k < overlap; ++k) {
            x[k].re += tail[k];
        }
        for (int k = 0; k < overlap; ++k) {
            tail[k] = x[count + k].re;
        }
        if (b) {
            for (int k = 0; k < overlap; ++k) {
                x[k].im += secondTail[k];
            }
            for (int k = 0; k < overlap; ++k) {
                secondTail[k] = x[count + k].im;
            }
        }
        for (int i = 0; i < count; ++i) {
            Format::write(a + i * stride, x[i].re);
        }
        if (b) {
            for (int i = 0; i < count; ++i) {
                Format::write(b + i * stride, x[i].im);
            }
        }
    }
}

}  // namespace corvane::dsp
