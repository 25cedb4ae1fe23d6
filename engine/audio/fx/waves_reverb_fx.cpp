#include "audio/fx/waves_reverb_fx.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nerla {

namespace {

constexpr DSFXWavesReverb kDefaults{0.0f, 0.0f, 1000.0f, 0.001f};

// Line and diffuser lengths at 48 kHz, mutually prime.
constexpr std::array<size_t, 8> kLineLengths{1153, 1327, 1559, 1801, 2011, 2221, 2473, 2687};
constexpr std::array<size_t, 4> kDiffuserLengths{113, 162, 241, 347};
constexpr float kDiffusion = 0.6f;
// The input enters the lines with these signs (true: +).
constexpr std::array<bool, 8> kInputSigns{true, false, true, true, false, true, false, false};
// The lowest top-of-band gain against the low-band gain that the one-pole
// line filter makes without its pole reaching 1.
constexpr float kMinHighRatio = 0.02f;
// Four lines reach each side; their tail over the injected energy.
constexpr double kTailLevel = 0.5;
// Very short times stay a short, quieter burst rather than a loud click.
constexpr double kMinTailEnergy = 0.05;

size_t scaled(size_t length, int32_t rate) {
    return std::max<size_t>(
        1, static_cast<size_t>(std::lround(static_cast<double>(length) * rate / 48000.0)));
}

// Orthonormal 8-point Hadamard transform in place.
void hadamard(std::array<float, 8>& v) {
    for (size_t half = 1; half < 8; half <<= 1) {
        for (size_t i = 0; i < 8; i += 2 * half) {
            for (size_t j = i; j < i + half; ++j) {
                const float a = v[j];
                const float b = v[j + half];
                v[j] = a + b;
                v[j + half] = a - b;
            }
        }
    }
    constexpr float kScale = 0.35355339f;  // 1 / sqrt(8)
    for (float& x : v) {
        x *= kScale;
    }
}

}  // namespace

CWaveFX::CWaveFX() : CRecordFX(kDefaults) {}

bool CWaveFX::accept(const DSFXWavesReverb& r) const {
    return within(r.fInGain, -96.0f, 0.0f) && within(r.fReverbMix, -96.0f, 0.0f) &&
           within(r.fReverbTime, 0.001f, 3000.0f) && within(r.fHighFreqRTRatio, 0.001f, 0.999f);
}

void CWaveFX::prepare() {
    const int32_t rate = stream().rate;
    for (size_t i = 0; i < kLines; ++i) {
        lengths_[i] = scaled(kLineLengths[i], rate);
        lines_[i].resize(lengths_[i]);
    }
    for (size_t i = 0; i < kDiffusers; ++i) {
        diffuserLengths_[i] = scaled(kDiffuserLengths[i], rate);
        diffusers_[i].resize(diffuserLengths_[i]);
    }
    filtered_.fill(0.0f);
}

void CWaveFX::configure() {
    const DSFXWavesReverb& p = params();
    const double rate = stream().rate;
    const double seconds = p.fReverbTime / 1000.0;
    for (size_t i = 0; i < kLines; ++i) {
        const double trip = static_cast<double>(lengths_[i]) / rate;
        const double low = std::pow(10.0, -3.0 * trip / seconds);
        const double high = std::pow(10.0, -3.0 * trip / (seconds * p.fHighFreqRTRatio));
        const double ratio = std::max(low > 0.0 ? high / low : 0.0, double{kMinHighRatio});
        // DC gain `low`, Nyquist gain `low * ratio`.
        const double pole = (1.0 - ratio) / (1.0 + ratio);
        pole_[i] = static_cast<float>(pole);
        gain_[i] = static_cast<float>(low * (1.0 - pole));
    }
    // The tail's energy for a unit impulse: over the lines and the band,
    // the sum of g^2k over the trips (k >= 1) for the trip gain g of each
    // frequency. Scaled to about the impulse's own energy, whatever the time
    // and the ratio.
    constexpr int kBands = 32;
    double energy = 0.0;
    for (size_t i = 0; i < kLines; ++i) {
        for (int k = 0; k < kBands; ++k) {
            const double w = std::numbers::pi * (k + 0.5) / kBands;
            const double pole = pole_[i];
            const double g2 =
                double{gain_[i]} * gain_[i] / (1.0 - 2.0 * pole * std::cos(w) + pole * pole);
            energy += std::min(g2, 0.9999) / (1.0 - std::min(g2, 0.9999)) / (kLines * kBands);
        }
    }
    tailScale_ = static_cast<float>(kTailLevel / std::sqrt(std::max(energy, kMinTailEnergy)));
    inGain_ = std::pow(10.0f, p.fInGain / 20.0f);
    wet_ = std::pow(10.0f, p.fReverbMix / 20.0f);
    dry_ = std::sqrt(std::max(0.0f, 1.0f - wet_ * wet_));
}

void CWaveFX::apply(float* samples, uint32_t frames) {
    const auto channels = static_cast<size_t>(stream().channels);
    const float toMono = 1.0f / static_cast<float>(channels);
    std::array<float, kLines> mixed{};
    for (uint32_t n = 0; n < frames; ++n, samples += channels) {
        float input = 0.0f;
        for (size_t c = 0; c < channels; ++c) {
            input += samples[c];
        }
        input *= inGain_ * toMono;
        for (size_t k = 0; k < kDiffusers; ++k) {
            const float delayed = diffusers_[k].tap(diffuserLengths_[k]);
            const float v = input + kDiffusion * delayed;
            diffusers_[k].push(v);
            input = delayed - kDiffusion * v;
        }
        for (size_t i = 0; i < kLines; ++i) {
            filtered_[i] = gain_[i] * lines_[i].tap(lengths_[i]) + pole_[i] * filtered_[i];
            mixed[i] = filtered_[i];
        }
        // Sides from different lines with different signs: uncorrelated tails.
        const float wet = tailScale_ * wet_;
        const float left = wet * (filtered_[0] - filtered_[2] + filtered_[4] - filtered_[6]);
        const float right = wet * (filtered_[1] + filtered_[3] - filtered_[5] - filtered_[7]);
        hadamard(mixed);
        for (size_t i = 0; i < kLines; ++i) {
            lines_[i].push((kInputSigns[i] ? input : -input) + mixed[i]);
        }
        const float dry = dry_ * inGain_;
        for (size_t c = 0; c < channels; ++c) {
            samples[c] = dry * samples[c] + (c % 2 == 1 ? right : left);
        }
    }
}

}  // namespace nerla
