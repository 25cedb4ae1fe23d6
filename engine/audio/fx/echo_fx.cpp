#include "audio/fx/echo_fx.h"

#include <algorithm>
#include <cmath>

namespace nerla {

namespace {

constexpr DSFXEcho kDefaults{50.0f, 50.0f, 500.0f, 500.0f, 0};
constexpr float kMaxDelayMs = 2000.0f;

}  // namespace

CEchoFX::CEchoFX() : CRecordFX(kDefaults) {}

bool CEchoFX::accept(const DSFXEcho& r) const {
    return within(r.fWetDryMix, 0.0f, 100.0f) && within(r.fFeedback, 0.0f, 100.0f) &&
           within(r.fLeftDelay, 1.0f, kMaxDelayMs) && within(r.fRightDelay, 1.0f, kMaxDelayMs) &&
           (r.lPanDelay == 0 || r.lPanDelay == 1);
}

void CEchoFX::prepare() {
    const auto channels = static_cast<size_t>(stream().channels);
    lines_.resize(channels);
    const auto longest =
        static_cast<size_t>(std::ceil(kMaxDelayMs * static_cast<float>(stream().rate) / 1000.0f));
    for (DelayLine& line : lines_) {
        line.resize(longest);
    }
    delays_.assign(channels, 1);
    feedFrom_.assign(channels, 0);
    repeats_.assign(channels, 0.0f);
}

void CEchoFX::configure() {
    const DSFXEcho& p = params();
    wet_ = p.fWetDryMix / 100.0f;
    dry_ = 1.0f - wet_;
    feedback_ = p.fFeedback / 100.0f;
    auto samples = [&](float ms) {
        const auto n =
            static_cast<size_t>(std::lround(ms * static_cast<float>(stream().rate) / 1000.0f));
        return std::clamp<size_t>(n, 1, lines_.empty() ? 1 : lines_[0].capacity());
    };
    const size_t left = samples(p.fLeftDelay);
    const size_t right = samples(p.fRightDelay);
    const size_t channels = lines_.size();
    for (size_t c = 0; c < channels; ++c) {
        const bool isRight = (c % 2) == 1;
        delays_[c] = isRight ? right : left;
        const size_t partner = c ^ 1;
        feedFrom_[c] = (p.lPanDelay != 0 && partner < channels) ? partner : c;
    }
}

void CEchoFX::apply(float* samples, uint32_t frames) {
    const size_t channels = lines_.size();
    for (uint32_t i = 0; i < frames; ++i, samples += channels) {
        for (size_t c = 0; c < channels; ++c) {
            repeats_[c] = lines_[c].tap(delays_[c]);
        }
        for (size_t c = 0; c < channels; ++c) {
            const float x = samples[c];
            lines_[c].push(x + feedback_ * repeats_[feedFrom_[c]]);
            samples[c] = dry_ * x + wet_ * repeats_[c];
        }
    }
}

}  // namespace nerla
