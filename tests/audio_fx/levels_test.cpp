// The play position in the history ring, the data and level reads there,
// and the spectrum's scale.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "audio/audio_processor_state.h"
#include "audio/history_ring.h"
#include "audio/levels.h"
#include "audio/spectrum_analyser.h"
#include "nerla.h"

namespace {

using nerla::AudioProcessorState;
using nerla::HistoryRing;
using nerla::PlayWindow;
using nerla::WaveFormat;

constexpr int64_t kSecond = 10000000;  // 100 ns units

WaveFormat format(int channels, int bits, bool isFloat, uint32_t rate) {
    WaveFormat f;
    f.formatTag = isFloat ? WaveFormat::kIeeeFloat : WaveFormat::kPcm;
    f.channels = static_cast<uint16_t>(channels);
    f.bitsPerSample = static_cast<uint16_t>(bits);
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.samplesPerSec = rate;
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

TEST(PlayWindow, LocatesNowFromTheNewestBlock) {
    // Ten frames a second, one byte each: a frame is 0.1 s.
    const WaveFormat f = format(1, 8, false, 10);
    HistoryRing ring(f);
    const std::vector<uint8_t> block(4, 7);
    ring.write(block.data(), 4, 0);                 // frames 0..3 at 0.0 s
    ring.write(block.data(), 4, 4 * kSecond / 10);  // frames 4..7 at 0.4 s
    struct Case {
        int64_t now;
        int64_t frame;     // -1: nothing to read
        size_t available;  // frames
    };
    for (Case c : {
             Case{4 * kSecond / 10, 4, 4},    // the start of the newest block
             Case{55 * kSecond / 100, 5, 3},  // within it, up to the newest frame
             Case{2 * kSecond / 10, 2, 6},    // an older block
             Case{8 * kSecond / 10, -1, 0},   // past the newest block: not there yet
             Case{-1 * kSecond / 10, 9, 1},   // the previous lap, up to the ring's end
             Case{-3 * kSecond / 10, 8, 2},   // overwritten: the oldest frame
             Case{-90 * kSecond, 8, 2},       // far behind
         }) {
        SCOPED_TRACE(c.now);
        const PlayWindow window(&ring, f, c.now);
        EXPECT_EQ(window.frame(), c.frame);
        EXPECT_EQ(window.available(), c.available);
    }
    // A window of a fixed span that would pass the newest frame ends there:
    // a sink reports the end of what it was given while it plays it.
    struct SpanCase {
        int64_t now;
        size_t span;
        int64_t frame;
        size_t available;
    };
    for (SpanCase c : {
             SpanCase{55 * kSecond / 100, 2, 5, 3},  // room enough: at the position
             SpanCase{65 * kSecond / 100, 3, 5, 3},  // would pass it: the newest three
             SpanCase{8 * kSecond / 10, 3, 5, 3},    // at the end of the newest block
             SpanCase{10 * kSecond / 10, 3, 5, 3},   // a little past it
             SpanCase{20 * kSecond / 10, 3, -1, 0},  // far past it: not there yet
         }) {
        SCOPED_TRACE(c.now);
        const PlayWindow window(&ring, f, c.now, c.span);
        EXPECT_EQ(window.frame(), c.frame);
        EXPECT_EQ(window.available(), c.available);
    }
    // From the previous lap the stream goes on at the ring's start.
    const PlayWindow lap(&ring, f, -1 * kSecond / 10);
    EXPECT_EQ(lap.continuation().frame(), 0);
    EXPECT_EQ(lap.continuation().available(), 8u);
    EXPECT_EQ(PlayWindow(&ring, f, 4 * kSecond / 10).continuation().available(), 0u);
    EXPECT_EQ(PlayWindow(nullptr, f, 0).frame(), -1);
    EXPECT_EQ(PlayWindow(&ring, format(0, 8, false, 10), 0).frame(), -1);
}

// A processor state holding `samples` written as one block at 1 s.
std::unique_ptr<AudioProcessorState> stateWith(const WaveFormat& f, const void* samples,
                                               uint32_t bytes) {
    auto state = std::make_unique<AudioProcessorState>();
    state->setFormat(f);
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(samples),
                              static_cast<const uint8_t*>(samples) + bytes);
    state->process(copy.data(), bytes, bytes, GST_SECOND);
    return state;
}

TEST(ChannelLevel, LevelWords) {
    const std::vector<int16_t> leftOnly = [] {
        std::vector<int16_t> v;
        for (int i = 0; i < 960; ++i) {
            v.push_back(i == 500 ? 32767 : 1000);
            v.push_back(0);
        }
        return v;
    }();
    const std::vector<int16_t> negative(1920, -12345);
    const std::vector<int16_t> mono(960, 4321);
    const std::vector<float> floats = [] {
        std::vector<float> v;
        for (int i = 0; i < 960; ++i) {
            v.push_back(i == 3 ? 0.5f : 0.1f);
            v.push_back(i == 900 ? 0.25f : -0.9f);
        }
        return v;
    }();
    const std::vector<uint8_t> bytes(480, 192);  // +0.5 in unsigned 8-bit
    struct Case {
        const char* name;
        WaveFormat format;
        const void* data;
        uint32_t size;
        uint32_t word;
    };
    for (const Case& c : {
             Case{"left at full scale", format(2, 16, false, 48000), leftOnly.data(), 3840, 32767},
             Case{"all negative", format(2, 16, false, 48000), negative.data(), 3840, 0},
             Case{"mono", format(1, 16, false, 48000), mono.data(), 1920, 4321},
             Case{"float", format(2, 32, true, 48000), floats.data(), 7680, 16384u | (8192u << 16)},
             Case{"8-bit", format(1, 8, false, 24000), bytes.data(), 480, 16384},
         }) {
        SCOPED_TRACE(c.name);
        const auto state = stateWith(c.format, c.data, c.size);
        EXPECT_EQ(nerla::readChannelLevel(*state, kSecond), c.word);
    }
    AudioProcessorState empty;
    empty.setFormat(format(2, 16, false, 48000));
    EXPECT_EQ(nerla::readChannelLevel(empty, 0), 0u);
}

TEST(ChannelData, RequestsAndWhatTheyReturn) {
    std::vector<int16_t> pcm(4800);
    for (size_t i = 0; i < pcm.size(); ++i) {
        pcm[i] = static_cast<int16_t>(i);
    }
    const auto state = stateWith(format(2, 16, false, 48000), pcm.data(), 9600);
    std::vector<float> buffer(2048, -7.0f);

    EXPECT_EQ(nerla::readChannelData(*state, kSecond, buffer.data(), NERLA_DATA_FFT512), 512);
    EXPECT_NE(buffer[255], -7.0f);
    EXPECT_EQ(buffer[256], -7.0f);  // 256 magnitudes, not one more

    // Float reads: the count is of bytes asked for, the result of bytes taken.
    buffer.assign(2048, -7.0f);
    EXPECT_EQ(nerla::readChannelData(*state, kSecond, buffer.data(), NERLA_DATA_FLOAT | 400), 200);
    EXPECT_FLOAT_EQ(buffer[99], 99.0f / 32768.0f);
    EXPECT_EQ(buffer[100], -7.0f);
    EXPECT_EQ(nerla::readChannelData(*state, kSecond, buffer.data(), NERLA_DATA_FLOAT + 65536), 0);

    // Plain reads copy the stream's own bytes, up to the end of the ring.
    std::vector<int16_t> plain(100, -1);
    EXPECT_EQ(nerla::readChannelData(*state, kSecond, plain.data(), 100), 100);
    EXPECT_EQ(plain[49], 49);
    EXPECT_EQ(plain[50], -1);
    EXPECT_EQ(nerla::readChannelData(*state, kSecond + kSecond / 100, plain.data(), 100), 100);
    EXPECT_EQ(plain[0], 960);  // 10 ms later
    // Never past the newest frame into what the ring held a second ago.
    std::vector<uint8_t> all(400000);
    EXPECT_EQ(nerla::readChannelData(*state, kSecond, all.data(), 400000), 9600);
    EXPECT_EQ(nerla::readChannelData(*state, kSecond, all.data(), 0), 0);
    EXPECT_EQ(nerla::readChannelData(*state, kSecond, all.data(), INT32_MIN + 400), 0);
    EXPECT_EQ(nerla::readChannelData(*state, kSecond, all.data(), -5), 9600);  // bit 30: floats
    // Past the newest block there is nothing yet.
    EXPECT_EQ(nerla::readChannelData(*state, 2 * kSecond, all.data(), 100), 0);
}

std::vector<float> sineOnBin(int n, int bin, float amplitude, size_t length) {
    std::vector<float> s(length);
    for (size_t i = 0; i < length; ++i) {
        s[i] = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * bin * i / n + 0.3));
    }
    return s;
}

TEST(Spectrum, SineCentredOnABinReadsItsAmplitude) {
    for (int n : {256, 512, 1024, 2048}) {
        SCOPED_TRACE(n);
        const int bin = n / 8;
        const auto s = sineOnBin(n, bin, 0.5f, static_cast<size_t>(n));
        std::vector<float> out(n / 2);
        nerla::SpectrumAnalyser(n).magnitudes(s.data(), out.data());
        EXPECT_NEAR(out[bin], 0.5f, 0.005f);
        EXPECT_LT(out[bin + 8], 0.005f);
        EXPECT_LT(out[bin / 2], 0.005f);
    }
}

// Through a spectrum request: a mono float stream, the same reading. Near
// the newest frame the window ends there; cut off by the end of the ring it
// goes on at the ring's start; samples the ring does not hold count as
// silence.
TEST(Spectrum, RequestsReadTheRingAtThePlayPosition) {
    const WaveFormat f = format(1, 32, true, 48000);
    const auto s = sineOnBin(1024, 64, 0.25f, 48000);
    const auto state = stateWith(f, s.data(), 48000 * 4);
    std::vector<float> out(512);
    ASSERT_EQ(nerla::readChannelData(*state, kSecond, out.data(), NERLA_DATA_FFT1024), 1024);
    EXPECT_NEAR(out[64], 0.25f, 0.003f);
    const int64_t nearEnd = kSecond + (48000 - 512) * kSecond / 48000;
    ASSERT_EQ(nerla::readChannelData(*state, nearEnd, out.data(), NERLA_DATA_FFT1024), 1024);
    EXPECT_NEAR(out[64], 0.25f, 0.003f);

    // One more block: nearEnd is now in the previous lap, 512 samples before
    // the end of the ring. The sine's period divides the ring.
    const auto lapped = stateWith(f, s.data(), 48000 * 4);
    std::vector<float> next(s.begin(), s.begin() + 2048);
    lapped->process(reinterpret_cast<uint8_t*>(next.data()), 2048 * 4, 2048 * 4, 2 * GST_SECOND);
    ASSERT_EQ(nerla::readChannelData(*lapped, nearEnd, out.data(), NERLA_DATA_FFT1024), 1024);
    EXPECT_NEAR(out[64], 0.25f, 0.003f);

    // A ring that holds only 512 samples yet.
    const auto fresh = stateWith(f, s.data(), 512 * 4);
    ASSERT_EQ(nerla::readChannelData(*fresh, kSecond, out.data(), NERLA_DATA_FFT1024), 1024);
    EXPECT_GT(out[64], 0.05f);
    EXPECT_LT(out[64], 0.2f);
}

}  // namespace
