// The equaliser's filter, its overlap-add across blocks, chunks and calls,
// and its sample formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "dspEqualizer.h"

namespace {

using corvane::dsp::TDCEqualizer;

constexpr int kDelay = 128;  // N/8 at the default N = 1024

std::vector<int16_t> tone(int frames, int channels, double amplitude, double cycles = 0.0227) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            out[f * channels + c] = static_cast<int16_t>(
                std::lrint(amplitude * std::sin(2 * M_PI * cycles * (c + 1) * f)));
        }
    }
    return out;
}

void process(TDCEqualizer& eq, std::vector<int16_t>& pcm, int channels, int callFrames = 0) {
    const int frames = static_cast<int>(pcm.size()) / channels;
    const int step = callFrames > 0 ? callFrames : frames;
    for (int f = 0; f < frames; f += step) {
        const int count = std::min(step, frames - f);
        eq.Process(pcm.data() + f * channels, count * channels * 2, 16, channels, false);
    }
}

TDCEqualizer enabled() {
    TDCEqualizer eq;
    eq.SetEnabled(true);
    return eq;
}

// Largest difference between out[i + delay] and gain * in[i] past the start.
double worstError(const std::vector<int16_t>& in, const std::vector<int16_t>& out, int channels,
                  double gain) {
    double worst = 0;
    const int frames = static_cast<int>(in.size()) / channels;
    for (int f = 1024; f + kDelay < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            worst = std::max(
                worst, std::abs(out[(f + kDelay) * channels + c] - gain * in[f * channels + c]));
        }
    }
    return worst;
}

TEST(Equalizer, FlatTableDelaysByAnEighthOfTheSize) {
    TDCEqualizer eq = enabled();
    const std::vector<int16_t> in = tone(20000, 1, 10000);
    std::vector<int16_t> out = in;
    process(eq, out, 1);
    EXPECT_LT(worstError(in, out, 1, 1.0), 10000 * 0.01);
}

TEST(Equalizer, TwelveDecibelsUpAndSaturation) {
    TDCEqualizer eq = enabled();
    for (int j = 0; j < 8192; ++j) {
        eq.SetBand(0, static_cast<uint16_t>(j), 60);
    }
    const std::vector<int16_t> quiet = tone(20000, 1, 4000);
    std::vector<int16_t> out = quiet;
    process(eq, out, 1);
    EXPECT_LT(worstError(quiet, out, 1, 3.98), 4000 * 3.98 * 0.02);

    TDCEqualizer loud = enabled();
    for (int j = 0; j < 8192; ++j) {
        loud.SetBand(0, static_cast<uint16_t>(j), 60);
    }
    const std::vector<int16_t> in = tone(20000, 1, 20000);
    out = in;
    process(loud, out, 1);
    int16_t top = 0, bottom = 0;
    for (size_t f = 1024; f + kDelay < in.size(); ++f) {
        top = std::max(top, out[f + kDelay]);
        bottom = std::min(bottom, out[f + kDelay]);
        // Saturated, never wrapped: the sign follows the input's.
        if (std::abs(in[f]) > 2000) {
            ASSERT_EQ(out[f + kDelay] > 0, in[f] > 0) << f;
        }
    }
    EXPECT_EQ(top, 32767);
    EXPECT_EQ(bottom, -32768);
}

TEST(Equalizer, BandsReadBackInFifthsOfADecibel) {
    TDCEqualizer eq;
    EXPECT_EQ(eq.GetBand(0, 5), 0);
    for (int amp = -128; amp <= 127; ++amp) {
        eq.SetBand(3, 77, static_cast<int8_t>(amp));
        EXPECT_EQ(eq.GetBand(3, 77), amp);
    }
    eq.SetBand(0, 5, -30);
    EXPECT_EQ(eq.GetBand(0, 5), -30);
    EXPECT_EQ(eq.GetBand(10, 5), 0);
    EXPECT_EQ(eq.GetBand(0, 8192), 0);
    eq.SetBand(10, 5, 40);  // ignored
    eq.SetBand(0, 9000, 40);
    EXPECT_EQ(eq.GetBand(0, 5), -30);
}

// A filter that is far from flat, so that mixing tails up would show.
void shapeBands(TDCEqualizer& eq) {
    for (int j = 0; j < 8192; ++j) {
        eq.SetBand(0, static_cast<uint16_t>(j), static_cast<int8_t>(j < 40 ? 50 : -40));
    }
}

TEST(Equalizer, SharedFilterKeepsATailPerChannel) {
    std::vector<int16_t> stereo = tone(6000, 2, 8000);
    std::vector<int16_t> left(6000), right(6000);
    for (int f = 0; f < 6000; ++f) {
        left[f] = stereo[2 * f];
        right[f] = stereo[2 * f + 1];
    }
    TDCEqualizer both = enabled(), onlyLeft = enabled(), onlyRight = enabled();
    for (TDCEqualizer* eq : {&both, &onlyLeft, &onlyRight}) {
        shapeBands(*eq);
    }
    process(both, stereo, 2, 500);
    process(onlyLeft, left, 1, 500);
    process(onlyRight, right, 1, 500);
    // Two channels share a transform, so rounding may differ by one step.
    for (int f = 0; f < 6000; ++f) {
        ASSERT_NEAR(stereo[2 * f], left[f], 1) << f;
        ASSERT_NEAR(stereo[2 * f + 1], right[f], 1) << f;
    }
}

TEST(Equalizer, ShortBlocksCarryTheirTailAcrossCallsAndChunks) {
    const std::vector<int16_t> in = tone(9000, 1, 8000, 0.004);
    TDCEqualizer whole = enabled();
    shapeBands(whole);
    std::vector<int16_t> reference = in;
    process(whole, reference, 1);

    struct Case {
        int callFrames;
        int sampleSize;
    };
    for (Case c : {Case{100, 8192}, Case{333, 8192}, Case{0, 100}, Case{1000, 64}}) {
        TDCEqualizer eq = enabled();
        shapeBands(eq);
        eq.SetSampleSize(c.sampleSize);
        std::vector<int16_t> out = in;
        process(eq, out, 1, c.callFrames);
        for (size_t i = 0; i < in.size(); ++i) {
            ASSERT_NEAR(out[i], reference[i], 1)
                << "calls of " << c.callFrames << ", chunks of " << c.sampleSize << ", frame " << i;
        }
    }
}

TEST(Equalizer, EnablingFlushesTheTail) {
    TDCEqualizer eq = enabled();
    std::vector<int16_t> pcm = tone(700, 1, 10000);
    process(eq, pcm, 1);
    eq.SetEnabled(false);
    eq.SetEnabled(true);
    std::vector<int16_t> silence(700, 0);
    process(eq, silence, 1);
    for (int16_t s : silence) {
        ASSERT_EQ(s, 0);
    }
}

template <typename T>
std::vector<T> rampOf(int frames, double amplitude, double offset) {
    std::vector<T> out(frames);
    for (int f = 0; f < frames; ++f) {
        out[f] = static_cast<T>(offset + std::lrint(amplitude * std::sin(2 * M_PI * 0.0227 * f)));
    }
    return out;
}

TEST(Equalizer, EveryFormatPassesAFlatTable) {
    const int frames = 6000;
    {
        auto in = rampOf<uint8_t>(frames, 100, 128);
        auto out = in;
        TDCEqualizer eq = enabled();
        eq.Process(out.data(), frames, 8, 1, false);
        for (int f = 1024; f + kDelay < frames; ++f) {
            ASSERT_NEAR(out[f + kDelay], in[f], 2) << f;
        }
    }
    {
        std::vector<uint8_t> in(frames * 3), out;
        for (int f = 0; f < frames; ++f) {
            const int32_t v =
                static_cast<int32_t>(std::lrint(4e6 * std::sin(2 * M_PI * 0.0227 * f)));
            std::memcpy(&in[f * 3], &v, 3);
        }
        out = in;
        TDCEqualizer eq = enabled();
        eq.Process(out.data(), frames * 3, 24, 1, false);
        auto at = [](const std::vector<uint8_t>& b, int f) {
            const int32_t v = b[f * 3] | (b[f * 3 + 1] << 8) | (b[f * 3 + 2] << 16);
            return (v ^ 0x800000) - 0x800000;
        };
        for (int f = 1024; f + kDelay < frames; ++f) {
            ASSERT_NEAR(at(out, f + kDelay), at(in, f), 4e6 * 0.01) << f;
        }
    }
    {
        std::vector<float> in(frames);
        for (int f = 0; f < frames; ++f) {
            in[f] = static_cast<float>(0.5 * std::sin(2 * M_PI * 0.0227 * f));
        }
        auto out = in;
        TDCEqualizer eq = enabled();
        eq.Process(out.data(), frames * 4, 32, 1, true);
        for (int f = 1024; f + kDelay < frames; ++f) {
            ASSERT_NEAR(out[f + kDelay], in[f], 0.005) << f;
        }
    }
    {
        auto in = rampOf<int32_t>(frames, 1e9, 0);
        auto out = in;
        TDCEqualizer eq = enabled();
        eq.Process(out.data(), frames * 4, 32, 1, false);
        int offGrid = 0;
        for (int f = 1024; f + kDelay < frames; ++f) {
            ASSERT_NEAR(out[f + kDelay], in[f], 1e9 * 0.01) << f;
            offGrid += out[f + kDelay] % 32768 != 0;
        }
        // The low bits survive: the output is not rounded to 16-bit steps.
        EXPECT_GT(offGrid, frames / 2);
    }
}

TEST(Equalizer, LeavesUnknownFormatsAndExtraChannelsAlone) {
    std::vector<int16_t> pcm = tone(2000, 1, 9000);
    const std::vector<int16_t> original = pcm;
    TDCEqualizer eq = enabled();
    shapeBands(eq);
    for (int bits : {0, 12, 20, 64}) {
        eq.Process(pcm.data(), 4000, bits, 1, false);
    }
    eq.Process(pcm.data(), 4000, 16, 0, false);
    EXPECT_EQ(pcm, original);
    TDCEqualizer off;
    off.Process(pcm.data(), 4000, 16, 1, false);
    EXPECT_EQ(pcm, original);

    // Twelve channels: the first ten are filtered, the last two stay.
    std::vector<int16_t> wide = tone(3000, 12, 1500, 0.001);
    const std::vector<int16_t> before = wide;
    process(eq, wide, 12);
    int changed[12] = {};
    for (int f = 0; f < 3000; ++f) {
        for (int c = 0; c < 12; ++c) {
            changed[c] += wide[f * 12 + c] != before[f * 12 + c];
        }
    }
    for (int c = 0; c < 10; ++c) {
        EXPECT_GT(changed[c], 0) << c;
    }
    EXPECT_EQ(changed[10], 0);
    EXPECT_EQ(changed[11], 0);
}

TEST(Equalizer, SeparateFiltersPerChannel) {
    TDCEqualizer eq = enabled();
    eq.SetSeperate(true);
    for (int j = 0; j < 8192; ++j) {
        eq.SetBand(1, static_cast<uint16_t>(j), -100);  // channel 1: -20 dB
    }
    std::vector<int16_t> stereo = tone(20000, 2, 8000, 0.0113);
    const std::vector<int16_t> in = stereo;
    process(eq, stereo, 2);
    double worstLeft = 0, worstRight = 0;
    for (int f = 1024; f + kDelay < 20000; ++f) {
        worstLeft = std::max(worstLeft, std::abs(stereo[(f + kDelay) * 2] - in[f * 2] * 1.0));
        worstRight =
            std::max(worstRight, std::abs(stereo[(f + kDelay) * 2 + 1] - in[f * 2 + 1] * 0.1));
    }
    EXPECT_LT(worstLeft, 80);
    EXPECT_LT(worstRight, 20);
}

TEST(Equalizer, ChunksRunTheMessageHook) {
    struct Case {
        bool processMessages;
        int sampleSize;
        int calls;
    };
    for (Case c : {Case{true, 1000, 5}, Case{false, 1000, 0}, Case{true, 0, 1}}) {
        TDCEqualizer eq = enabled();
        int calls = 0;
        eq.SetProcessMessagesHook([&calls] { ++calls; });
        eq.SetProcessMessages(c.processMessages);
        eq.SetSampleSize(c.sampleSize);
        std::vector<int16_t> pcm = tone(4500, 2, 1000);
        process(eq, pcm, 2);
        EXPECT_EQ(calls, c.calls) << c.sampleSize;
    }
}

}  // namespace
