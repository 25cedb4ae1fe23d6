#include "fx_signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "audio/effect_factory.h"

namespace fxtest {

std::vector<float> sine(double frequency, double amplitude, size_t frames, int channels) {
    std::vector<float> s(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency *
                                                               static_cast<double>(i) / kRate));
        for (int c = 0; c < channels; ++c) {
            s[i * channels + c] = v;
        }
    }
    return s;
}

std::unique_ptr<nerla::CBaseFX> makeEffect(int32_t type, int channels, int bits, bool isFloat,
                                           int rate) {
    std::unique_ptr<nerla::CBaseFX> fx = nerla::createEffect(type);
    EXPECT_NE(fx, nullptr) << type;
    if (fx) {
        EXPECT_TRUE(fx->Init(rate, channels, bits, isFloat)) << type;
    }
    return fx;
}

void run(nerla::CBaseFX& fx, std::vector<float>& samples, int channels, size_t block) {
    const size_t frames = samples.size() / channels;
    for (size_t at = 0; at < frames; at += block) {
        const size_t n = std::min(block, frames - at);
        auto* bytes = reinterpret_cast<uint8_t*>(samples.data() + at * channels);
        const auto length = static_cast<uint32_t>(n * channels * sizeof(float));
        ASSERT_EQ(fx.Process(bytes, length, length), length);
    }
}

double peak(const std::vector<float>& s, int channels, int channel, size_t from, size_t to) {
    double p = 0;
    for (size_t i = from; i < to; ++i) {
        p = std::max(p, std::abs(double{s[i * channels + channel]}));
    }
    return p;
}

double rms(const std::vector<float>& s, int channels, int channel, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) {
        const double v = s[i * channels + channel];
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

double db(double ratio) {
    return 20.0 * std::log10(ratio);
}

std::pair<size_t, float> largest(const std::vector<float>& s, int channels, int channel,
                                 size_t from, size_t to) {
    std::pair<size_t, float> best{from, 0.0f};
    for (size_t i = from; i < to; ++i) {
        const float v = s[i * channels + channel];
        if (std::abs(v) > std::abs(best.second)) {
            best = {i, v};
        }
    }
    return best;
}

double dominantFrequency(const std::vector<double>& series, double rate, double lo, double hi) {
    const size_t n = series.size();
    double mean = 0;
    for (double v : series) {
        mean += v / static_cast<double>(n);
    }
    double bestFrequency = lo;
    double bestPower = -1;
    for (double f = lo; f <= hi; f += 0.01) {
        std::complex<double> sum;
        for (size_t i = 0; i < n; ++i) {
            const double window =
                0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / (n - 1));
            sum += (series[i] - mean) * window *
                   std::polar(1.0, -2.0 * std::numbers::pi * f * static_cast<double>(i) / rate);
        }
        if (std::norm(sum) > bestPower) {
            bestPower = std::norm(sum);
            bestFrequency = f;
        }
    }
    return bestFrequency;
}

}  // namespace fxtest
