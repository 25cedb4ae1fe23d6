// The amplifier's integer arithmetic per format.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dspAmplify.h"

namespace {

using corvane::dsp::TDCAmplify;

template <typename T>
T amplified(T value, int volume, int bits, bool isFloat = false) {
    TDCAmplify amp;
    amp.SetEnabled(true);
    amp.SetVolume(0, volume);
    T sample = value;
    amp.Process(&sample, sizeof sample, bits, 1, isFloat);
    return sample;
}

int32_t amplified24(int32_t value, int volume) {
    TDCAmplify amp;
    amp.SetEnabled(true);
    amp.SetVolume(0, volume);
    uint8_t b[3];
    std::memcpy(b, &value, 3);
    amp.Process(b, 3, 24, 1, false);
    const int32_t v = b[0] | (b[1] << 8) | (b[2] << 16);
    return (v ^ 0x800000) - 0x800000;
}

TEST(Amplify, FormatsTable) {
    struct Case16 {
        int16_t in;
        int volume;
        int16_t out;
    };
    for (Case16 c : {Case16{20000, 25000, 32767}, Case16{-20000, 25000, -32768}, Case16{1000, 0, 0},
                     Case16{-3, 5000, -1}, Case16{3, 5000, 1}, Case16{1234, 10000, 1234}}) {
        EXPECT_EQ(amplified<int16_t>(c.in, c.volume, 16), c.out) << c.in << " x " << c.volume;
    }
    EXPECT_EQ(amplified<uint8_t>(200, 0, 8), 128);
    EXPECT_EQ(amplified<uint8_t>(200, 20000, 8), 255);
    EXPECT_EQ(amplified<uint8_t>(10, 20000, 8), 0);
    EXPECT_EQ(amplified<uint8_t>(125, 5000, 8), 127);  // -3 / 2 truncates to -1
    EXPECT_EQ(amplified24(8000000, 20000), 8388607);
    EXPECT_EQ(amplified24(-8000000, 20000), -8388608);
    EXPECT_EQ(amplified24(-1000001, 5000), -500000);
    EXPECT_EQ(amplified<int32_t>(INT32_MIN, 20000, 32), -2147483647);
    EXPECT_EQ(amplified<int32_t>(2000000000, 20000, 32), 2147483647);
    EXPECT_EQ(amplified<int32_t>(-7, 5000, 32), -3);
    EXPECT_FLOAT_EQ(amplified<float>(0.5f, 25000, 32, true), 1.25f);
    EXPECT_FLOAT_EQ(amplified<float>(0.5f, 0, 32, true), 0.0f);
}

TEST(Amplify, SharedOrSeparateVolumes) {
    TDCAmplify amp;
    amp.SetEnabled(true);
    amp.SetVolume(0, 20000);
    amp.SetVolume(1, 5000);
    amp.SetVolume(10, 1);  // ignored
    EXPECT_EQ(amp.GetVolume(1), 5000);
    EXPECT_EQ(amp.GetVolume(10), 0);
    EXPECT_EQ(amp.GetVolume(2), 10000);

    std::vector<int16_t> pcm = {100, 100, 100, 100};
    amp.Process(pcm.data(), 8, 16, 2, false);
    EXPECT_EQ(pcm, (std::vector<int16_t>{200, 200, 200, 200}));
    amp.SetSeperate(true);
    pcm = {100, 100, 100, 100};
    amp.Process(pcm.data(), 8, 16, 2, false);
    EXPECT_EQ(pcm, (std::vector<int16_t>{200, 50, 200, 50}));
}

TEST(Amplify, LeavesWhatItCannotProcessAlone) {
    TDCAmplify amp;
    amp.SetVolume(0, 20000);
    std::vector<int16_t> pcm(24, 100);
    amp.Process(pcm.data(), 48, 16, 1, false);  // disabled
    EXPECT_EQ(pcm, std::vector<int16_t>(24, 100));
    amp.SetEnabled(true);
    amp.Process(pcm.data(), 48, 12, 1, false);
    amp.Process(pcm.data(), 48, 16, 0, false);
    EXPECT_EQ(pcm, std::vector<int16_t>(24, 100));
    // Twelve channels: the last two have no volume and stay.
    amp.Process(pcm.data(), 48, 16, 12, false);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(pcm[i], i % 12 < 10 ? 200 : 100) << i;
    }
}

}  // namespace
