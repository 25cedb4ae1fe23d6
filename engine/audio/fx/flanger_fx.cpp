#include "audio/fx/flanger_fx.h"

namespace nerla {

namespace {

constexpr DSFXFlanger kDefaults{
    50.0f, 100.0f, -50.0f, 0.25f, DSFXFLANGER_WAVE_SIN, 2.0f, DSFXFLANGER_PHASE_ZERO};
constexpr float kMaxDelayMs = 4.0f;

}  // namespace

CFLANGERFX::CFLANGERFX() : CRecordFX(kDefaults) {}

bool CFLANGERFX::accept(const DSFXFlanger& r) const {
    return within(r.fWetDryMix, 0.0f, 100.0f) && within(r.fDepth, 0.0f, 100.0f) &&
           within(r.fFeedback, -99.0f, 99.0f) && within(r.fFrequency, 0.0f, 10.0f) &&
           (r.lWaveform == DSFXFLANGER_WAVE_TRIANGLE || r.lWaveform == DSFXFLANGER_WAVE_SIN) &&
           within(r.fDelay, 0.0f, kMaxDelayMs) && r.lPhase >= DSFXFLANGER_PHASE_NEG_180 &&
           r.lPhase <= DSFXFLANGER_PHASE_180;
}

void CFLANGERFX::prepare() {
    delay_.prepare(stream().rate, stream().channels, kMaxDelayMs);
}

void CFLANGERFX::configure() {
    const DSFXFlanger& p = params();
    delay_.configure({p.fWetDryMix / 100.0f, p.fDepth / 100.0f, p.fFeedback / 100.0f, p.fFrequency,
                      p.lWaveform == DSFXFLANGER_WAVE_SIN, p.fDelay,
                      static_cast<float>((p.lPhase - DSFXFLANGER_PHASE_ZERO) * 90)});
}

}  // namespace nerla
