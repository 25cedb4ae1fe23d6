// The engine's own reverb, equaliser band, chorus, compressor, echo and
// flanger, measured on signals: where echoes land, what a band does to a
// tone, the compressor's static curve, the modulation rate, the decay time,
// and every sample format the processor carries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "frame/sample_convert.h"
#include "fx_signals.h"
#include "nerla.h"

namespace {

using namespace fxtest;

TEST(CEchoFX, ImpulseResponsePeaksAtTheSetDelays) {
    struct Case {
        const char* name;
        int32_t pan;
        bool impulseRight;
        // channel and frame of the first and second repeat, and their values
        int channel1;
        size_t at1;
        float value1;
        int channel2;
        size_t at2;
        float value2;
    };
    // 120 ms and 250 ms at 48 kHz, 40 % wet, 30 % feedback.
    const size_t left = 5760;
    const size_t right = 12000;
    const Case cases[] = {
        {"left side", 0, false, 0, left, 0.4f, 0, 2 * left, 0.4f * 0.3f},
        {"right side", 0, true, 1, right, 0.4f, 1, 2 * right, 0.4f * 0.3f},
        {"pan delay", 1, false, 0, left, 0.4f, 1, left + right, 0.4f * 0.3f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto fx = makeEffect(NERLA_FX_ECHO, 2);
        const DSFXEcho record{40.0f, 30.0f, 120.0f, 250.0f, c.pan};
        fx->SetParameters(&record);
        std::vector<float> s(2 * 30000, 0.0f);
        s[c.impulseRight ? 1 : 0] = 1.0f;
        run(*fx, s, 2);
        EXPECT_FLOAT_EQ(s[c.impulseRight ? 1 : 0], 0.6f);  // the dry part
        const auto first = largest(s, 2, c.channel1, 1, 30000);
        EXPECT_EQ(first.first, c.at1);
        EXPECT_NEAR(first.second, c.value1, 1e-5);
        s[first.first * 2 + c.channel1] = 0;
        const auto second = largest(s, 2, c.channel2, 1, 30000);
        EXPECT_EQ(second.first, c.at2);
        EXPECT_NEAR(second.second, c.value2, 1e-5);
        // Nothing reaches the other side before the first repeat crosses.
        const int other = 1 - c.channel1;
        EXPECT_LT(peak(s, 2, other, 0, c.at1), 1e-6);
    }
}

double bandGainDb(const DSFXParamEq& band, double frequency) {
    auto fx = makeEffect(NERLA_FX_PARAMEQ, 2);
    fx->SetParameters(&band);
    auto s = sine(frequency, 0.1, kRate / 2, 2);
    const auto in = s;
    run(*fx, s, 2);
    return db(rms(s, 2, 1, kRate / 4, kRate / 2) / rms(in, 2, 1, kRate / 4, kRate / 2));
}

TEST(CEqualizer, PeakingBandRaisesItsCentreAndLeavesFarTonesAlone) {
    EXPECT_NEAR(bandGainDb({1000.0f, 12.0f, 12.0f}, 1000.0), 12.0, 0.5);
    EXPECT_NEAR(bandGainDb({1000.0f, 12.0f, 12.0f}, 100.0), 0.0, 0.3);
    EXPECT_NEAR(bandGainDb({1000.0f, 12.0f, 12.0f}, 10000.0), 0.0, 0.3);
    EXPECT_NEAR(bandGainDb({1000.0f, 12.0f, -12.0f}, 1000.0), -12.0, 0.5);
    // Half the gain an octave-wide band's half-width away (in dB, the
    // bandwidth's edges), a narrower band falls off sooner.
    EXPECT_NEAR(bandGainDb({1000.0f, 12.0f, 12.0f}, 1414.2), 6.0, 1.0);
    EXPECT_LT(bandGainDb({1000.0f, 2.0f, 12.0f}, 1414.2), 1.5);
}

// The same +12 dB band on every sample format the processor accepts.
TEST(CEqualizer, RunsOnEverySampleFormat) {
    struct Format {
        const char* name;
        int bits;
        bool isFloat;
    };
    for (Format f : {Format{"U8", 8, false}, Format{"S16", 16, false}, Format{"S24", 24, false},
                     Format{"S32", 32, false}, Format{"F32", 32, true}}) {
        SCOPED_TRACE(f.name);
        auto fx = makeEffect(NERLA_FX_PARAMEQ, 2, f.bits, f.isFloat);
        const DSFXParamEq band{1000.0f, 12.0f, 12.0f};
        fx->SetParameters(&band);
        const auto in = sine(1000.0, 0.2, kRate / 2, 2);
        const int bytes = f.bits / 8;
        std::vector<uint8_t> pcm(in.size() * bytes);
        if (f.isFloat) {
            std::memcpy(pcm.data(), in.data(), pcm.size());
        } else {
            nerla::float2IntReference(in.data(), pcm.data(), static_cast<uint32_t>(in.size()),
                                      bytes);
        }
        const size_t block = 441 * 2 * bytes;  // not a multiple of anything in particular
        for (size_t at = 0; at < pcm.size(); at += block) {
            const auto n = static_cast<uint32_t>(std::min(block, pcm.size() - at));
            ASSERT_EQ(fx->Process(pcm.data() + at, n, n), n);
        }
        std::vector<float> out(in.size());
        if (f.isFloat) {
            std::memcpy(out.data(), pcm.data(), pcm.size());
        } else {
            nerla::int2FloatReference(pcm.data(), out.data(), static_cast<uint32_t>(out.size()),
                                      bytes);
        }
        for (int channel : {0, 1}) {
            EXPECT_NEAR(db(rms(out, 2, channel, kRate / 4, kRate / 2) /
                           rms(in, 2, channel, kRate / 4, kRate / 2)),
                        12.0, 0.5);
        }
    }
}

double compressedDb(float ratio, double inputDb, float makeUp = 0.0f) {
    auto fx = makeEffect(NERLA_FX_COMPRESSOR, 2);
    const DSFXCompressor record{makeUp, 1.0f, 100.0f, -20.0f, ratio, 0.0f};
    fx->SetParameters(&record);
    auto s = sine(1000.0, std::pow(10.0, inputDb / 20.0), kRate * 6 / 10, 2);
    run(*fx, s, 2);
    return db(peak(s, 2, 0, kRate * 4 / 10, kRate * 6 / 10));
}

TEST(CCOMPRESSOR, SteadyGainAboveThresholdFollowsTheRatio) {
    for (float ratio : {2.0f, 4.0f, 10.0f}) {
        SCOPED_TRACE(ratio);
        const double loud = compressedDb(ratio, -4.0);
        const double louder = compressedDb(ratio, -10.0);
        EXPECT_NEAR(loud, -20.0 + 16.0 / ratio, 0.3);
        EXPECT_NEAR(louder, -20.0 + 10.0 / ratio, 0.3);
        EXPECT_NEAR((loud - louder) / 6.0, 1.0 / ratio, 0.04);
    }
    // Below the threshold only the make-up gain acts.
    EXPECT_NEAR(compressedDb(4.0f, -30.0), -30.0, 0.1);
    EXPECT_NEAR(compressedDb(4.0f, -30.0, 6.0f), -24.0, 0.1);
    EXPECT_NEAR(compressedDb(4.0f, -4.0, 6.0f), -20.0 + 4.0 + 6.0, 0.3);
}

TEST(CCOMPRESSOR, AttackAndPredelayShapeTheOnset) {
    // A step from silence to -4 dB: with a short attack the level is down
    // within a few ms; with the predelay the first 4 ms pass untouched.
    auto onset = [](float attack, float predelay, size_t at) {
        auto fx = makeEffect(NERLA_FX_COMPRESSOR, 1);
        const DSFXCompressor record{0.0f, attack, 200.0f, -20.0f, 4.0f, predelay};
        fx->SetParameters(&record);
        std::vector<float> s(kRate / 10, 0.631f);  // -4 dB, constant
        run(*fx, s, 1);
        return db(std::abs(s[at]));
    };
    EXPECT_NEAR(onset(0.1f, 0.0f, 480), -16.0, 0.3);  // settled after 10 ms
    EXPECT_GT(onset(50.0f, 0.0f, 480), -8.0);         // still rising at 10 ms
    EXPECT_NEAR(onset(0.1f, 4.0f, 150), -4.0, 0.01);  // inside the predelay
    EXPECT_NEAR(onset(0.1f, 4.0f, 192 + 480), -16.0, 0.3);
}

// The envelope of a tone mixed with its modulated copy swings with the LFO.
std::vector<double> envelope(const std::vector<float>& s, int channels, int channel,
                             size_t window) {
    std::vector<double> e;
    const size_t frames = s.size() / channels;
    for (size_t at = window; at + window <= frames; at += window) {
        e.push_back(rms(s, channels, channel, at, at + window));
    }
    return e;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        ma += a[i] / a.size();
        mb += b[i] / b.size();
    }
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

TEST(CFLANGERFX, ModulatesAtTheSetRate) {
    for (float rate : {0.5f, 2.0f, 3.7f}) {
        SCOPED_TRACE(rate);
        auto fx = makeEffect(NERLA_FX_FLANGER, 2);
        const DSFXFlanger record{
            50.0f, 100.0f, 0.0f, rate, DSFXFLANGER_WAVE_SIN, 2.0f, DSFXFLANGER_PHASE_180};
        fx->SetParameters(&record);
        // 100 Hz against 0..4 ms of delay: the envelope follows the delay.
        auto s = sine(100.0, 0.5, kRate * 8, 2);
        run(*fx, s, 2);
        const auto left = envelope(s, 2, 0, kRate / 100);
        const auto right = envelope(s, 2, 1, kRate / 100);
        EXPECT_NEAR(dominantFrequency(left, 100.0, 0.2, 8.0), rate, 0.05);
        EXPECT_LT(correlation(left, right), -0.9);  // 180 degrees apart
    }
}

TEST(CChorusFX, ModulatesAtTheSetRateWithEitherWaveform) {
    for (int32_t waveform : {DSFXCHORUS_WAVE_SIN, DSFXCHORUS_WAVE_TRIANGLE}) {
        for (float rate : {1.1f, 4.0f}) {
            SCOPED_TRACE(std::to_string(waveform) + " at " + std::to_string(rate));
            auto fx = makeEffect(NERLA_FX_CHORUS, 2);
            const DSFXChorus record{
                50.0f, 50.0f, 0.0f, rate, waveform, 10.0f, DSFXCHORUS_PHASE_ZERO};
            fx->SetParameters(&record);
            // 30 Hz against 5..15 ms of delay.
            auto s = sine(30.0, 0.5, kRate * 8, 2);
            run(*fx, s, 2);
            const auto left = envelope(s, 2, 0, kRate / 30);
            EXPECT_NEAR(dominantFrequency(left, 30.0, 0.2, 8.0), rate, 0.05);
            EXPECT_GT(correlation(left, envelope(s, 2, 1, kRate / 30)), 0.99);
        }
    }
}

// The decay time from the energy decay curve of the impulse response,
// between -5 and -25 dB.
double decaySeconds(const std::vector<float>& s, int channels, int channel) {
    const size_t frames = s.size() / channels;
    std::vector<double> energy(frames + 1, 0.0);
    for (size_t i = frames; i-- > 0;) {
        const double v = s[i * channels + channel];
        energy[i] = energy[i + 1] + v * v;
    }
    size_t t5 = 0, t25 = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double level = 10.0 * std::log10(energy[i] / energy[0]);
        if (t5 == 0 && level <= -5.0) {
            t5 = i;
        }
        if (level <= -25.0) {
            t25 = i;
            break;
        }
    }
    return 3.0 * static_cast<double>(t25 - t5) / kRate;
}

std::vector<float> reverbImpulseResponse(float timeMs, float highRatio, float mixDb,
                                         double seconds) {
    auto fx = makeEffect(NERLA_FX_WAVES_REVERB, 2);
    const DSFXWavesReverb record{0.0f, mixDb, timeMs, highRatio};
    fx->SetParameters(&record);
    std::vector<float> s(static_cast<size_t>(seconds * kRate) * 2, 0.0f);
    s[0] = s[1] = 1.0f;
    run(*fx, s, 2);
    return s;
}

TEST(CWaveFX, DecayFollowsTheReverbTime) {
    for (float ms : {300.0f, 1000.0f, 2500.0f}) {
        SCOPED_TRACE(ms);
        const auto s = reverbImpulseResponse(ms, 0.999f, 0.0f, 1.5 * ms / 1000.0 + 0.3);
        for (int channel : {0, 1}) {
            EXPECT_NEAR(decaySeconds(s, 2, channel), ms / 1000.0, 0.2 * ms / 1000.0);
        }
        // The two sides are different reverberations.
        double same = 0, left = 0, right = 0;
        for (size_t i = 0; i < s.size(); i += 2) {
            same += double{s[i]} * s[i + 1];
            left += double{s[i]} * s[i];
            right += double{s[i + 1]} * s[i + 1];
        }
        EXPECT_LT(std::abs(same) / std::sqrt(left * right), 0.3);
    }
}

TEST(CWaveFX, HighFrequenciesDecayByTheRatio) {
    // The top of the band, seen through a first difference.
    auto highDecay = [](float ratio) {
        auto s = reverbImpulseResponse(1000.0f, ratio, 0.0f, 1.8);
        std::vector<float> high(s.size() / 2);
        for (size_t i = 1; i < high.size(); ++i) {
            high[i] = s[2 * i] - s[2 * (i - 1)];
        }
        return decaySeconds(high, 1, 0);
    };
    const double bright = highDecay(0.9f);
    const double dull = highDecay(0.1f);
    EXPECT_GT(bright, 0.6);
    EXPECT_LT(dull, 0.5 * bright);
}

TEST(CWaveFX, MixAndInputGainSetTheLevels) {
    // Mix -96 dB: the dry signal, as good as unchanged.
    auto fx = makeEffect(NERLA_FX_WAVES_REVERB, 2);
    const DSFXWavesReverb dry{0.0f, -96.0f, 1000.0f, 0.5f};
    fx->SetParameters(&dry);
    auto s = sine(440.0, 0.5, kRate / 2, 2);
    const auto in = s;
    run(*fx, s, 2);
    for (size_t i = 0; i < s.size(); ++i) {
        ASSERT_NEAR(s[i], in[i], 1e-4) << i;
    }
    // Mix -6 dB keeps the power: dry sqrt(1 - 1/4); input gain -6 dB on top.
    const auto half = reverbImpulseResponse(1000.0f, 0.5f, -6.0206f, 0.01);
    EXPECT_NEAR(half[0], std::sqrt(0.75f), 1e-3);
    auto quiet = makeEffect(NERLA_FX_WAVES_REVERB, 1);
    const DSFXWavesReverb lower{-6.0206f, -6.0206f, 1000.0f, 0.5f};
    quiet->SetParameters(&lower);
    std::vector<float> one(100, 0.0f);
    one[0] = 1.0f;
    run(*quiet, one, 1);
    EXPECT_NEAR(one[0], 0.5f * std::sqrt(0.75f), 1e-3);
}

// A format change reaches the effect: the echo now runs on six 16-bit
// channels and the sixth, a right-hand one, repeats after the right delay.
TEST(CEchoFX, ResetTakesTheNewLayout) {
    auto fx = makeEffect(NERLA_FX_ECHO, 2);
    const DSFXEcho record{50.0f, 0.0f, 10.0f, 20.0f, 0};
    fx->SetParameters(&record);
    fx->Reset(kRate, 6, 16, false);
    std::vector<int16_t> pcm(6 * 2000, 0);
    pcm[5] = 20000;
    pcm[0] = 20000;
    const auto length = static_cast<uint32_t>(pcm.size() * 2);
    ASSERT_EQ(fx->Process(reinterpret_cast<uint8_t*>(pcm.data()), length, length), length);
    EXPECT_EQ(pcm[5], 10000);
    EXPECT_EQ(pcm[6 * 960 + 5], 10000);  // 20 ms
    EXPECT_EQ(pcm[6 * 480 + 0], 10000);  // 10 ms
    EXPECT_EQ(pcm[6 * 480 + 5], 0);
}

}  // namespace
