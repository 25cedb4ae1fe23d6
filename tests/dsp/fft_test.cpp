// The FFT against a direct DFT, its unordered layout and its switches.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "dspFFTKernels.h"
#include "dspFastFourier.h"

namespace {

using corvane::dsp::SizeInPoints;
using corvane::dsp::TComplex;
using corvane::dsp::TDCFFT;
using corvane::dsp::TDCFFTSize;
using corvane::dsp::UnorderedPositions;
namespace kernels = corvane::dsp::kernels;

using Signal = std::vector<std::complex<double>>;

Signal randomSignal(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    Signal x(n);
    for (auto& v : x) {
        v = {dist(rng), dist(rng)};
    }
    return x;
}

// sign +1: the forward transform (positive exponent).
Signal dft(const Signal& x, int sign) {
    const int n = static_cast<int>(x.size());
    Signal w(n);
    for (int m = 0; m < n; ++m) {
        w[m] = std::polar(1.0, sign * 2.0 * M_PI * m / n);
    }
    Signal out(n);
    for (int k = 0; k < n; ++k) {
        std::complex<double> sum = 0;
        for (int j = 0; j < n; ++j) {
            sum += x[j] * w[(static_cast<long>(j) * k) % n];
        }
        out[k] = sum;
    }
    return out;
}

void load(TDCFFT& fft, const Signal& x) {
    for (size_t i = 0; i < x.size(); ++i) {
        fft.Complex()[i] = {static_cast<float>(x[i].real()), static_cast<float>(x[i].imag())};
    }
}

Signal read(const TComplex* p, int n) {
    Signal out(n);
    for (int i = 0; i < n; ++i) {
        out[i] = {p[i].re, p[i].im};
    }
    return out;
}

// Relative L2 error: a layout or twiddle fault gives order 1.
double relativeError(const Signal& got, const Signal& want) {
    double err = 0, norm = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        err += std::norm(got[i] - want[i]);
        norm += std::norm(want[i]);
    }
    return std::sqrt(err / norm);
}

std::vector<TDCFFTSize> allSizes() {
    std::vector<TDCFFTSize> sizes;
    for (int s = 0; s <= static_cast<int>(TDCFFTSize::fts8192); ++s) {
        sizes.push_back(static_cast<TDCFFTSize>(s));
    }
    return sizes;
}

TEST(FFTLayout, SmallTablesAndPermutations) {
    const std::vector<std::vector<uint16_t>> want = {
        {0, 2, 1, 3},
        {0, 4, 2, 7, 1, 5, 3, 6},
        {0, 8, 4, 14, 2, 10, 7, 13, 1, 9, 5, 15, 3, 11, 6, 12},
    };
    for (size_t t = 0; t < want.size(); ++t) {
        const uint16_t* got = UnorderedPositions(static_cast<TDCFFTSize>(t + 1));
        EXPECT_EQ(std::vector<uint16_t>(got, got + want[t].size()), want[t])
            << "T_" << want[t].size();
    }
    for (TDCFFTSize size : allSizes()) {
        const int n = SizeInPoints(size);
        std::vector<bool> seen(n, false);
        const uint16_t* t = UnorderedPositions(size);
        for (int k = 0; k < n; ++k) {
            ASSERT_LT(t[k], n);
            EXPECT_FALSE(seen[t[k]]) << "size " << n << " repeats " << t[k];
            seen[t[k]] = true;
        }
    }
}

TEST(FFTLayout, SizeFourByHand) {
    TDCFFT fft;
    fft.SetFFTSize(TDCFFTSize::fts4);
    fft.SetReOrder(false);
    fft.Complex()[0] = {1, 0};
    fft.FFT();
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(fft.Complex()[i].re, 1.0f);
        EXPECT_FLOAT_EQ(fft.Complex()[i].im, 0.0f);
    }
    // x = (0, 1, 0, 0): X = (1, i, -1, -i) for the positive exponent,
    // held as X0, X2, X1, X3 without reordering.
    const Signal x = {0.0, 1.0, 0.0, 0.0};
    const Signal natural = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (bool reorder : {true, false}) {
        fft.SetReOrder(reorder);
        load(fft, x);
        fft.FFT();
        const Signal got = read(fft.Complex(), 4);
        const Signal want =
            reorder ? natural : Signal{natural[0], natural[2], natural[1], natural[3]};
        EXPECT_LT(relativeError(got, want), 1e-7) << "reorder " << reorder;
    }
}

TEST(FFT, ForwardAndInverseMatchTheDirectTransformAtEverySize) {
    TDCFFT fft;
    for (TDCFFTSize size : allSizes()) {
        const int n = SizeInPoints(size);
        fft.SetFFTSize(size);
        const Signal x = randomSignal(n, n);
        const Signal spectrum = dft(x, +1);

        fft.SetReOrder(true);
        load(fft, x);
        fft.FFT();
        EXPECT_LT(relativeError(read(fft.Complex(), n), spectrum), 1e-5) << "forward, size " << n;

        // Unordered: position T[k] holds bin k.
        fft.SetReOrder(false);
        load(fft, x);
        fft.FFT();
        const uint16_t* t = UnorderedPositions(size);
        Signal unordered(n);
        for (int k = 0; k < n; ++k) {
            unordered[t[k]] = spectrum[k];
        }
        EXPECT_LT(relativeError(read(fft.Complex(), n), unordered), 1e-5)
            << "unordered, size " << n;

        // Inverse of the natural-order spectrum, unscaled then scaled.
        const Signal back = dft(x, -1);
        fft.SetReOrder(true);
        fft.SetScale(false);
        load(fft, x);
        fft.IFFT();
        EXPECT_LT(relativeError(read(fft.Complex(), n), back), 1e-5) << "inverse, size " << n;
        fft.SetScale(true);
        load(fft, spectrum);
        fft.IFFT();
        EXPECT_LT(relativeError(read(fft.Complex(), n), x), 1e-5) << "scaled inverse, size " << n;
    }
}

TEST(FFT, RoundTripWithoutReorderingAtEverySize) {
    TDCFFT fft;
    fft.SetReOrder(false);
    for (TDCFFTSize size : allSizes()) {
        const int n = SizeInPoints(size);
        fft.SetFFTSize(size);
        const Signal x = randomSignal(n, 7 * n);
        for (bool scale : {true, false}) {
            fft.SetScale(scale);
            load(fft, x);
            fft.FFT();
            fft.IFFT();
            Signal want = x;
            for (auto& v : want) {
                v *= scale ? 1.0 : n;
            }
            EXPECT_LT(relativeError(read(fft.Complex(), n), want), 1e-5)
                << "size " << n << " scale " << scale;
        }
    }
}

TEST(FFT, EveryKernelSetGivesTheSameTransform) {
    std::vector<const kernels::KernelSet*> sets = {&kernels::ScalarKernels(),
                                                   kernels::Sse2Kernels(), kernels::AvxKernels()};
    for (const kernels::KernelSet* set : sets) {
        if (!set) {
            continue;
        }
        for (int n : {8, 16, 64, 1024, 8192}) {
            const Signal x = randomSignal(n, 3 * n);
            std::vector<TComplex> data(n), reference(n);
            for (int i = 0; i < n; ++i) {
                data[i] = reference[i] = {static_cast<float>(x[i].real()),
                                          static_cast<float>(x[i].imag())};
            }
            kernels::Forward(*set, data.data(), n);
            kernels::Forward(kernels::ScalarKernels(), reference.data(), n);
            EXPECT_LT(relativeError(read(data.data(), n), read(reference.data(), n)), 1e-6)
                << set->name << " " << n;
            kernels::Inverse(*set, data.data(), n);
            set->scale(data.data(), n, 1.0f / n);
            EXPECT_LT(relativeError(read(data.data(), n), x), 1e-5)
                << set->name << " inverse " << n;
        }
    }
}

TEST(FFT, TransformsOnlyItsSizeAndFlushClearsEverything) {
    TDCFFT fft;
    EXPECT_EQ(fft.FFTSize(), TDCFFTSize::fts512);
    EXPECT_EQ(fft.FFTSizeInt(), 512);
    EXPECT_TRUE(fft.ReOrder());
    EXPECT_TRUE(fft.Scale());
    for (int i = 0; i < corvane::dsp::kMaxFFTSize; ++i) {
        EXPECT_EQ(fft.Complex()[i].re, 0.0f);
        fft.Complex()[i] = {static_cast<float>(i % 17), 1.0f};
    }
    fft.FFT();
    fft.IFFT();
    for (int i = 512; i < corvane::dsp::kMaxFFTSize; ++i) {
        ASSERT_EQ(fft.Complex()[i].re, static_cast<float>(i % 17)) << i;
        ASSERT_EQ(fft.Complex()[i].im, 1.0f) << i;
    }
    fft.Flush();
    for (int i = 0; i < corvane::dsp::kMaxFFTSize; ++i) {
        ASSERT_EQ(fft.Complex()[i].re, 0.0f) << i;
        ASSERT_EQ(fft.Complex()[i].im, 0.0f) << i;
    }
}

}  // namespace
