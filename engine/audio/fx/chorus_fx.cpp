#include "audio/fx/chorus_fx.h"

namespace nerla {

namespace {

constexpr DSFXChorus kDefaults{
    50.0f, 10.0f, 25.0f, 1.1f, DSFXCHORUS_WAVE_SIN, 16.0f, DSFXCHORUS_PHASE_90};
constexpr float kMaxDelayMs = 20.0f;

}  // namespace

CChorusFX::CChorusFX() : CRecordFX(kDefaults) {}

bool CChorusFX::accept(const DSFXChorus& r) const {
    return within(r.fWetDryMix, 0.0f, 100.0f) && within(r.fDepth, 0.0f, 100.0f) &&
           within(r.fFeedback, -99.0f, 99.0f) && within(r.fFrequency, 0.0f, 10.0f) &&
           (r.lWaveform == DSFXCHORUS_WAVE_TRIANGLE || r.lWaveform == DSFXCHORUS_WAVE_SIN) &&
           within(r.fDelay, 0.0f, kMaxDelayMs) && r.lPhase >= DSFXCHORUS_PHASE_NEG_180 &&
           r.lPhase <= DSFXCHORUS_PHASE_180;
}

void CChorusFX::prepare() {
    delay_.prepare(stream().rate, stream().channels, kMaxDelayMs);
}

void CChorusFX::configure() {
    const DSFXChorus& p = params();
    delay_.configure({p.fWetDryMix / 100.0f, p.fDepth / 100.0f, p.fFeedback / 100.0f, p.fFrequency,
                      p.lWaveform == DSFXCHORUS_WAVE_SIN, p.fDelay,
                      static_cast<float>((p.lPhase - DSFXCHORUS_PHASE_ZERO) * 90)});
}

}  // namespace nerla
