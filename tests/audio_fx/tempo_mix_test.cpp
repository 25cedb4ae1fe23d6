// Tempo, pitch and rate through SoundTouch, and the stereo channel copy.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "audio/effect_factory.h"
#include "frame/sample_convert.h"
#include "fx_signals.h"
#include "nerla.h"

namespace {

using namespace fxtest;

std::vector<int16_t> tone16(double frequency, size_t frames, int channels, int rate) {
    std::vector<int16_t> pcm(frames * channels);
    for (size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(
            12000.0 * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate));
        for (int c = 0; c < channels; ++c) {
            pcm[i * channels + c] = v;
        }
    }
    return pcm;
}

NerlaTempoParameters parametersOf(nerla::CBaseFX& fx) {
    NerlaTempoParameters p{-1, -1, -1};
    fx.GetParameters(&p);
    return p;
}

TEST(CTempo, FreshParametersAndTheRateFloor) {
    auto fx = makeEffect(NERLA_FX_TEMPO, 2, 16, false, 44100);
    NerlaTempoParameters p = parametersOf(*fx);
    EXPECT_EQ(p.tempo, 1.0f);
    EXPECT_EQ(p.pitch, 0.0f);
    EXPECT_EQ(p.rate, 1.0f);
    const NerlaTempoParameters slow{1.25f, -3.0f, 0.05f};
    fx->SetParameters(&slow);
    p = parametersOf(*fx);
    EXPECT_EQ(p.tempo, 1.25f);
    EXPECT_EQ(p.pitch, -3.0f);
    EXPECT_FLOAT_EQ(p.rate, 0.1f);
}

// Values that would stall SoundTouch or flood it change nothing.
TEST(CTempo, RefusesValuesSoundTouchCannotRun) {
    auto fx = makeEffect(NERLA_FX_TEMPO, 2, 16, false, 44100);
    const NerlaTempoParameters good{0.8f, 2.0f, 1.5f};
    fx->SetParameters(&good);
    const float nan = std::nanf("");
    for (NerlaTempoParameters bad :
         {NerlaTempoParameters{0.0f, 0.0f, 1.0f}, NerlaTempoParameters{-1.0f, 0.0f, 1.0f},
          NerlaTempoParameters{11.0f, 0.0f, 1.0f}, NerlaTempoParameters{nan, 0.0f, 1.0f},
          NerlaTempoParameters{1.0f, nan, 1.0f}, NerlaTempoParameters{1.0f, 61.0f, 1.0f},
          NerlaTempoParameters{1.0f, 0.0f, 20.0f}, NerlaTempoParameters{1.0f, 0.0f, nan}}) {
        fx->SetParameters(&bad);
        const NerlaTempoParameters p = parametersOf(*fx);
        EXPECT_EQ(p.tempo, 0.8f);
        EXPECT_EQ(p.pitch, 2.0f);
        EXPECT_EQ(p.rate, 1.5f);
    }
}

// A slow tempo makes more audio than a buffer carries; only a few seconds
// of it wait, so a faster tempo soon returns shorter buffers again.
TEST(CTempo, SurplusOfASlowTempoStaysBounded) {
    auto fx = makeEffect(NERLA_FX_TEMPO, 1, 32, true, 48000);
    const NerlaTempoParameters slow{0.5f, 0.0f, 1.0f};
    fx->SetParameters(&slow);
    auto block = [&] {
        auto s = sine(300.0, 0.5, 4800, 1);
        const auto length = static_cast<uint32_t>(s.size() * 4);
        return fx->Process(reinterpret_cast<uint8_t*>(s.data()), length, length) / 4;
    };
    for (int i = 0; i < 300; ++i) {  // 30 s in, 60 s made
        block();
    }
    const NerlaTempoParameters fast{2.0f, 0.0f, 1.0f};
    fx->SetParameters(&fast);
    int full = 0;
    while (full < 1000 && block() == 4800) {
        ++full;
    }
    // Two seconds of surplus drain by 50 ms a buffer.
    EXPECT_LE(full, 60);
}

TEST(CTempo, InitTakesMonoAndStereoOnly) {
    for (int channels : {1, 2}) {
        EXPECT_TRUE(nerla::createEffect(NERLA_FX_TEMPO)->Init(44100, channels, 16, false));
    }
    EXPECT_FALSE(nerla::createEffect(NERLA_FX_TEMPO)->Init(44100, 3, 16, false));
    EXPECT_FALSE(nerla::createEffect(NERLA_FX_TEMPO)->Init(48000, 6, 32, true));
}

// Tempo 1 and pitch 0 leave the buffer alone whatever the rate.
TEST(CTempo, UnitTempoAndPitchBypassWhateverTheRate) {
    auto fx = makeEffect(NERLA_FX_TEMPO, 2, 16, false, 44100);
    const NerlaTempoParameters fast{1.0f, 0.0f, 2.0f};
    fx->SetParameters(&fast);
    auto pcm = tone16(440.0, 4410, 2, 44100);
    const auto before = pcm;
    const auto length = static_cast<uint32_t>(pcm.size() * 2);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(fx->Process(reinterpret_cast<uint8_t*>(pcm.data()), length, length), length);
    }
    EXPECT_EQ(pcm, before);
}

TEST(CTempo, OneAndAHalfReturnsTwoThirdsOfTheFrames) {
    struct Format {
        int bits;
        bool isFloat;
    };
    for (Format f : {Format{16, false}, Format{32, true}, Format{24, false}}) {
        SCOPED_TRACE(f.bits);
        auto fx = makeEffect(NERLA_FX_TEMPO, 2, f.bits, f.isFloat, 44100);
        const NerlaTempoParameters faster{1.5f, 0.0f, 1.0f};
        fx->SetParameters(&faster);
        const int bytes = f.bits / 8;
        const size_t frames = 4410;
        std::vector<uint8_t> block(frames * 2 * bytes);
        uint64_t in = 0;
        uint64_t out = 0;
        for (int i = 0; i < 150; ++i) {
            // a fresh tone every buffer: the effect works in place
            const auto tone = sine(440.0, 0.3, frames, 2);
            if (f.isFloat) {
                std::memcpy(block.data(), tone.data(), block.size());
            } else {
                nerla::float2IntReference(tone.data(), block.data(),
                                          static_cast<uint32_t>(tone.size()), bytes);
            }
            const auto length = static_cast<uint32_t>(block.size());
            const uint32_t result = fx->Process(block.data(), length, length);
            ASSERT_LE(result, length);
            ASSERT_EQ(result % (2 * bytes), 0u);
            in += length;
            out += result;
        }
        EXPECT_NEAR(static_cast<double>(out) / in, 2.0 / 3.0, 0.02);
    }
}

// Pitch +12 with tempo 1 is not bypassed and doubles the tone's frequency.
TEST(CTempo, PitchReachesSoundTouch) {
    auto fx = makeEffect(NERLA_FX_TEMPO, 1, 32, true, 48000);
    const NerlaTempoParameters octave{1.0f, 12.0f, 1.0f};
    fx->SetParameters(&octave);
    std::vector<float> kept;
    for (int i = 0; i < 40; ++i) {
        auto s = sine(300.0, 0.5, 4800, 1);
        const auto length = static_cast<uint32_t>(s.size() * 4);
        const uint32_t result = fx->Process(reinterpret_cast<uint8_t*>(s.data()), length, length);
        kept.insert(kept.end(), s.begin(), s.begin() + result / 4);
    }
    ASSERT_GT(kept.size(), 48000u);
    // Upward zero crossings over the last second.
    size_t crossings = 0;
    for (size_t i = kept.size() - 48000; i < kept.size(); ++i) {
        crossings += kept[i - 1] < 0 && kept[i] >= 0;
    }
    EXPECT_NEAR(static_cast<double>(crossings), 600.0, 15.0);
}

TEST(CChannelMix, CopiesOneSideOntoTheOther) {
    struct Case {
        int32_t mode;
        int16_t left;
        int16_t right;
    };
    for (Case c :
         {Case{0, 100, -200}, Case{1, 100, 100}, Case{2, -200, -200}, Case{-7, -200, -200}}) {
        SCOPED_TRACE(c.mode);
        auto fx = makeEffect(NERLA_FX_CHANNEL_MIX, 2, 16, false);
        const NerlaChannelMixParameters mode{c.mode};
        fx->SetParameters(&mode);
        NerlaChannelMixParameters back{99};
        fx->GetParameters(&back);
        EXPECT_EQ(back.mode, c.mode);
        std::vector<int16_t> pcm;
        for (int i = 0; i < 100; ++i) {
            pcm.push_back(100);
            pcm.push_back(-200);
        }
        pcm.push_back(555);  // half a frame at the end stays
        const auto length = static_cast<uint32_t>(pcm.size() * 2);
        ASSERT_EQ(fx->Process(reinterpret_cast<uint8_t*>(pcm.data()), length, length), length);
        for (int i = 0; i < 100; ++i) {
            ASSERT_EQ(pcm[2 * i], c.left) << i;
            ASSERT_EQ(pcm[2 * i + 1], c.right) << i;
        }
        EXPECT_EQ(pcm.back(), 555);
    }
}

TEST(CChannelMix, TakesOnly16BitStereo) {
    struct Case {
        int channels;
        int bits;
        bool accepted;
    };
    for (Case c : {Case{2, 16, true}, Case{2, 24, false}, Case{1, 16, false}, Case{6, 16, false},
                   Case{2, 32, false}}) {
        EXPECT_EQ(nerla::createEffect(NERLA_FX_CHANNEL_MIX)->Init(44100, c.channels, c.bits, false),
                  c.accepted)
            << c.channels << " x " << c.bits;
    }
    // After a change to six channels the copy stops instead of mixing up
    // samples of other channels.
    auto fx = makeEffect(NERLA_FX_CHANNEL_MIX, 2, 16, false);
    const NerlaChannelMixParameters copy{1};
    fx->SetParameters(&copy);
    fx->Reset(44100, 6, 16, false);
    std::vector<int16_t> pcm{1, 2, 3, 4, 5, 6};
    const auto before = pcm;
    fx->Process(reinterpret_cast<uint8_t*>(pcm.data()), 12, 12);
    EXPECT_EQ(pcm, before);
}

}  // namespace
