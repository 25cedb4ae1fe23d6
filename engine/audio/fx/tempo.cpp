#include "audio/fx/tempo.h"

#include <SoundTouch.h>

#include <cmath>
#include <cstring>
#include <exception>

#include "audio/fx/denormal_guard.h"
#include "frame/log.h"
#include "frame/sample_convert.h"
#include "nerla.h"

#define GST_CAT_DEFAULT nerla_audio_debug

namespace nerla {

namespace {

constexpr double kMinRate = 0.1;
// Beyond these SoundTouch stalls (a tempo of 0 never returns) or makes ten
// times more audio than it is given.
constexpr float kMinTempo = 0.1f;
constexpr float kMaxTempo = 10.0f;
constexpr float kMaxRate = 10.0f;
constexpr float kMaxPitch = 60.0f;  // semitones
// Output that cannot go out (a buffer never grows) is kept up to this many
// seconds; older surplus is dropped, so that a slow tempo neither eats
// memory nor slows SoundTouch down without end.
constexpr uint32_t kBacklogSeconds = 2;

#if defined(__SSE__)
// libSoundTouch comes built with fast-math start-up code that switches the
// loading thread, and every thread it starts later, to flush denormals to
// zero. The host's floating-point environment is the host's: this runs
// right after the library is loaded and switches that back off. SoundTouch
// itself still runs in that mode, under a DenormalGuard.
__attribute__((constructor)) void restoreFloatEnvironment() {
    constexpr unsigned kFlushToZero = 0x8000;
    constexpr unsigned kDenormalsAreZero = 0x0040;
    const unsigned csr = _mm_getcsr();
    if ((csr & (kFlushToZero | kDenormalsAreZero)) == (kFlushToZero | kDenormalsAreZero)) {
        _mm_setcsr(csr & ~(kFlushToZero | kDenormalsAreZero));
    }
}
#endif

}  // namespace

CTempo::CTempo() = default;
CTempo::~CTempo() = default;

bool CTempo::Init(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample, bool isFloat) {
    if (channels >= 3 || channels <= 0 || samplesPerSec <= 0) {
        return false;
    }
    if (touch_) {
        return true;
    }
    auto touch = std::make_unique<soundtouch::SoundTouch>();
    bits_ = bitsPerSample;
    isFloat_ = isFloat;
    channels_ = channels;
    touch->setSampleRate(static_cast<uint>(samplesPerSec));
    touch->setChannels(static_cast<uint>(channels));
    touch->setSetting(SETTING_USE_QUICKSEEK, 0);
    touch->setSetting(SETTING_USE_AA_FILTER, 0);
    touch->setSetting(SETTING_AA_FILTER_LENGTH, 56);
    touch->setSetting(SETTING_SEQUENCE_MS, 120);
    touch->setSetting(SETTING_SEEKWINDOW_MS, 28);
    touch->setSetting(SETTING_OVERLAP_MS, 28);
    scratch_.resize(static_cast<size_t>(samplesPerSec) * static_cast<size_t>(channels));
    backlog_ = static_cast<uint32_t>(samplesPerSec) * kBacklogSeconds;
    touch_ = std::move(touch);
    return true;
}

// SoundTouch keeps its layout when the stream grows past two channels:
// such buffers then pass unchanged. Frames still held for another channel
// count are dropped rather than handed out in the new layout.
void CTempo::Reset(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample, bool isFloat) {
    const int32_t previous = channels_;
    bits_ = bitsPerSample;
    isFloat_ = isFloat;
    channels_ = channels;
    if (channels > 2 || channels <= 0 || samplesPerSec <= 0 || !touch_) {
        return;
    }
    try {
        touch_->flush();
        if (channels != previous) {
            touch_->clear();
        }
        touch_->setSampleRate(static_cast<uint>(samplesPerSec));
        touch_->setChannels(static_cast<uint>(channels));
        backlog_ = static_cast<uint32_t>(samplesPerSec) * kBacklogSeconds;
    } catch (const std::exception& e) {
        GST_WARNING("tempo %u: %s", handle(), e.what());
    }
}

void CTempo::SetParameters(const void* parameters) {
    if (!parameters || !touch_) {
        return;
    }
    NerlaTempoParameters record;
    std::memcpy(&record, parameters, sizeof record);
    if (!(record.tempo >= kMinTempo && record.tempo <= kMaxTempo) ||
        !(std::abs(record.pitch) <= kMaxPitch) || !(record.rate <= kMaxRate)) {
        GST_INFO("tempo %u: parameters out of range, nothing changed", handle());
        return;
    }
    std::lock_guard guard(lock_);
    latest_.tempo = record.tempo;
    latest_.pitch = record.pitch;
    latest_.rate = record.rate < kMinRate ? kMinRate : record.rate;
    pending_ = true;
}

void CTempo::GetParameters(void* parameters) {
    if (!parameters) {
        return;
    }
    NerlaTempoParameters record;
    {
        std::lock_guard guard(lock_);
        record = {static_cast<float>(latest_.tempo), static_cast<float>(latest_.pitch),
                  static_cast<float>(latest_.rate)};
    }
    std::memcpy(parameters, &record, sizeof record);
}

// New values go to SoundTouch in the order pitch, rate, tempo.
void CTempo::takeValues() {
    if (!lock_.try_lock()) {
        return;
    }
    const bool fresh = pending_;
    if (fresh) {
        applied_ = latest_;
        pending_ = false;
    }
    lock_.unlock();
    if (fresh) {
        touch_->setPitchSemiTones(applied_.pitch);
        touch_->setRate(applied_.rate);
        touch_->setTempo(applied_.tempo);
    }
}

uint32_t CTempo::Process(uint8_t* buffer, uint32_t length, uint32_t /*capacity*/) {
    if (!touch_ || !buffer || length == 0 || channels_ <= 0 || channels_ > 2) {
        return length;
    }
    try {
        takeValues();
        if (applied_.tempo == 1.0 && applied_.pitch == 0.0) {
            return length;
        }
        DenormalGuard guard;
        return stretch(buffer, length);
    } catch (const std::exception& e) {
        GST_WARNING("tempo %u: %s", handle(), e.what());
        return length;
    }
}

// At most as many frames come out as go in.
uint32_t CTempo::stretch(uint8_t* buffer, uint32_t length) {
    const int bytes = bits_ / 8;
    if (bytes < 1 || bytes > 4 || (isFloat_ && bytes != 4)) {
        return length;
    }
    const auto frameBytes = static_cast<uint32_t>(bytes * channels_);
    const uint32_t frames = length / frameBytes;
    const uint32_t count = frames * static_cast<uint32_t>(channels_);
    if (scratch_.size() < count) {
        scratch_.resize(count);  // a buffer longer than any before
    }
    float* samples = scratch_.data();
    if (isFloat_) {
        std::memcpy(samples, buffer, static_cast<size_t>(count) * sizeof(float));
    } else {
        int2Float(buffer, samples, count, bytes);
    }
    touch_->putSamples(samples, frames);
    const uint32_t out = touch_->receiveSamples(samples, frames);
    const uint32_t held = touch_->numSamples();
    if (held > backlog_) {
        touch_->receiveSamples(held - backlog_);
    }
    const uint32_t outCount = out * static_cast<uint32_t>(channels_);
    if (isFloat_) {
        std::memcpy(buffer, samples, static_cast<size_t>(outCount) * sizeof(float));
    } else {
        float2Int(samples, buffer, outCount, bytes);
    }
    return out * frameBytes;
}

}  // namespace nerla
