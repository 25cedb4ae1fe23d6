#include "dspAmplify.h"

#include <algorithm>

#include "dspSamples.h"

namespace corvane::dsp {
namespace {

using samples::Clamp;

// value x volume div 10000, truncating toward zero, clamped to the format.
struct Unsigned8 {
    static constexpr int kBytes = 1;
    static void apply(uint8_t* p, int64_t v) {
        p[0] = static_cast<uint8_t>(Clamp<int64_t>((p[0] - 128) * v / 10000, -128, 127) + 128);
    }
};

struct Signed16 {
    static constexpr int kBytes = 2;
    static void apply(uint8_t* p, int64_t v) {
        samples::Save(p, static_cast<int16_t>(
                             Clamp<int64_t>(samples::Load<int16_t>(p) * v / 10000, -32768, 32767)));
    }
};

struct Signed24 {
    static constexpr int kBytes = 3;
    static void apply(uint8_t* p, int64_t v) {
        samples::WriteInt24(p, static_cast<int32_t>(Clamp<int64_t>(
                                   samples::ReadInt24(p) * v / 10000, -8388608, 8388607)));
    }
};

struct Float32 {
    static constexpr int kBytes = 4;
    static void apply(uint8_t* p, int64_t v) {
        samples::Save(p, samples::Load<float>(p) * (static_cast<float>(v) / 10000.0f));
    }
};

struct Signed32 {
    static constexpr int kBytes = 4;
    static void apply(uint8_t* p, int64_t v) {
        samples::Save(p, static_cast<int32_t>(Clamp<int64_t>(samples::Load<int32_t>(p) * v / 10000,
                                                             -2147483647LL, 2147483647LL)));
    }
};

}  // namespace

TDCAmplify::TDCAmplify() {
    fVolume.fill(10000);
}

void TDCAmplify::SetVolume(uint8_t channel, int volume) {
    if (channel < kMaxChannels) {
        fVolume[channel] = volume;
    }
}

int TDCAmplify::GetVolume(uint8_t channel) const {
    return channel < kMaxChannels ? fVolume[channel] : 0;
}

void TDCAmplify::Process(void* buffer, int size, int bits, int channels, bool isFloat) {
    if (!fEnabled || !ValidFormat(bits, channels)) {
        return;
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

// Channels past the tenth have no volume and stay as they are.
template <typename Format>
void TDCAmplify::processChunk(uint8_t* chunk, int frames, int channels) {
    const int used = std::min(channels, kMaxChannels);
    for (int f = 0; f < frames; ++f) {
        uint8_t* frame = chunk + static_cast<size_t>(f) * Format::kBytes * channels;
        for (int c = 0; c < used; ++c) {
            Format::apply(frame + c * Format::kBytes, fSeperate ? fVolume[c] : fVolume[0]);
        }
    }
}

}  // namespace corvane::dsp
