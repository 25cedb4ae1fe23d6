#include "audio/fx/compressor.h"

#include <algorithm>
#include <cmath>

namespace nerla {

namespace {

constexpr DSFXCompressor kDefaults{0.0f, 10.0f, 200.0f, -20.0f, 3.0f, 4.0f};
constexpr float kMaxPredelayMs = 4.0f;

float coefficient(float ms, int32_t rate) {
    return std::exp(-1000.0f / (ms * static_cast<float>(rate)));
}

}  // namespace

CCOMPRESSOR::CCOMPRESSOR() : CRecordFX(kDefaults) {}

bool CCOMPRESSOR::accept(const DSFXCompressor& r) const {
    return within(r.fGain, -60.0f, 60.0f) && within(r.fAttack, 0.01f, 500.0f) &&
           within(r.fRelease, 50.0f, 3000.0f) && within(r.fThreshold, -60.0f, 0.0f) &&
           within(r.fRatio, 1.0f, 100.0f) && within(r.fPredelay, 0.0f, kMaxPredelayMs);
}

void CCOMPRESSOR::prepare() {
    levels_.resize(static_cast<size_t>(
        std::ceil(kMaxPredelayMs * static_cast<float>(stream().rate) / 1000.0f)));
    envelope_ = 0.0f;
    reductionDb_ = 0.0f;
}

void CCOMPRESSOR::configure() {
    const DSFXCompressor& p = params();
    const int32_t rate = stream().rate;
    attack_ = coefficient(p.fAttack, rate);
    release_ = coefficient(p.fRelease, rate);
    thresholdDb_ = p.fThreshold;
    threshold_ = std::pow(10.0f, p.fThreshold / 20.0f);
    slope_ = 1.0f - 1.0f / p.fRatio;
    makeUpDb_ = p.fGain;
    predelay_ =
        std::min(static_cast<size_t>(std::lround(p.fPredelay * static_cast<float>(rate) / 1000.0f)),
                 levels_.capacity());
}

void CCOMPRESSOR::apply(float* samples, uint32_t frames) {
    const auto channels = static_cast<size_t>(stream().channels);
    float envelope = envelope_;
    float reduction = reductionDb_;
    float appliedDb = std::nanf("");
    float gain = 1.0f;
    for (uint32_t i = 0; i < frames; ++i, samples += channels) {
        float level = 0.0f;
        for (size_t c = 0; c < channels; ++c) {
            level = std::max(level, std::abs(samples[c]));
        }
        if (predelay_ > 0) {
            const float late = levels_.tap(predelay_);
            levels_.push(level);
            level = late;
        }
        envelope = std::max(level, envelope * release_);
        float target = 0.0f;
        if (envelope > threshold_) {
            target = (20.0f * std::log10(envelope) - thresholdDb_) * slope_;
        }
        reduction = target > reduction ? attack_ * reduction + (1.0f - attack_) * target : target;
        const float db = makeUpDb_ - reduction;
        if (db != appliedDb) {
            appliedDb = db;
            gain = std::pow(10.0f, db / 20.0f);
        }
        for (size_t c = 0; c < channels; ++c) {
            samples[c] *= gain;
        }
    }
    envelope_ = envelope;
    reductionDb_ = reduction;
}

}  // namespace nerla
