#include "audio/fx/equalizer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nerla {

namespace {

constexpr DSFXParamEq kDefaults{8000.0f, 12.0f, 0.0f};

// The band's centre may not pass a third of the sample rate.
float usableCentre(float centre, int32_t rate) {
    return rate > 0 ? std::min(centre, static_cast<float>(rate) / 3.0f) : centre;
}

}  // namespace

CEqualizer::CEqualizer() : CRecordFX(kDefaults) {}

bool CEqualizer::accept(const DSFXParamEq& r) const {
    return within(r.fCenter, 80.0f, 16000.0f) && within(r.fBandwidth, 1.0f, 36.0f) &&
           within(r.fGain, -15.0f, 15.0f);
}

void CEqualizer::report(DSFXParamEq& record) const {
    record.fCenter = usableCentre(record.fCenter, sampleRate());
}

void CEqualizer::prepare() {
    state_.assign(static_cast<size_t>(stream().channels), State{});
}

// Peaking filter with the bandwidth in octaves between the -gain/2 points.
void CEqualizer::configure() {
    const DSFXParamEq& p = params();
    flat_ = p.fGain == 0.0f;
    if (flat_) {
        std::fill(state_.begin(), state_.end(), State{});
    }
    const double rate = stream().rate;
    const double w0 = 2.0 * std::numbers::pi * usableCentre(p.fCenter, stream().rate) / rate;
    const double octaves = p.fBandwidth / 12.0;
    const double a = std::pow(10.0, p.fGain / 40.0);
    const double sinW0 = std::sin(w0);
    const double alpha = sinW0 * std::sinh(std::numbers::ln2 / 2.0 * octaves * w0 / sinW0);
    const double a0 = 1.0 + alpha / a;
    b0_ = (1.0 + alpha * a) / a0;
    b1_ = -2.0 * std::cos(w0) / a0;
    b2_ = (1.0 - alpha * a) / a0;
    a1_ = b1_;
    a2_ = (1.0 - alpha / a) / a0;
}

void CEqualizer::apply(float* samples, uint32_t frames) {
    if (flat_) {
        return;
    }
    const auto channels = static_cast<size_t>(stream().channels);
    for (size_t c = 0; c < channels; ++c) {
        double z1 = state_[c].z1;
        double z2 = state_[c].z2;
        float* s = samples + c;
        for (uint32_t i = 0; i < frames; ++i, s += channels) {
            const double x = *s;
            const double y = b0_ * x + z1;
            z1 = b1_ * x - a1_ * y + z2;
            z2 = b2_ * x - a2_ * y;
            *s = static_cast<float>(y);
        }
        state_[c].z1 = z1;
        state_[c].z2 = z2;
    }
}

}  // namespace nerla
