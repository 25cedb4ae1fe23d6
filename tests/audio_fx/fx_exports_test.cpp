// Effects, levels and data through the exports on real channels: handles
// per channel, every type on a 16-bit stereo file, parameter records, and
// the answers without audio, without a buffer and with renderer data.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "nerla.h"

namespace {

std::string fixture(const char* name) {
    return std::string(NERLA_FIXTURES "/") + name;
}

class FxExports : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Nerla_Init(0, 0), 1); }
    void TearDown() override { Nerla_Free(); }
};

TEST_F(FxExports, EffectHandlesCountPerChannel) {
    const NerlaHandle a = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    const NerlaHandle b = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    for (int type : {0, -1, 9}) {
        EXPECT_EQ(Nerla_ChannelSetFX(a, type), 0u) << type;
    }
    // audio.wav is 16-bit stereo: every type takes it.
    for (int type = 1; type <= 8; ++type) {
        EXPECT_EQ(Nerla_ChannelSetFX(a, type), 324571u + type - 1) << type;
    }
    EXPECT_EQ(Nerla_ChannelSetFX(b, NERLA_FX_ECHO), 324571u);
    EXPECT_EQ(Nerla_ChannelRemoveFX(a, 324571), 0);
    EXPECT_EQ(Nerla_ChannelSetFX(a, NERLA_FX_ECHO), 324579u);  // not reused
    Nerla_StreamFree(a);
    Nerla_StreamFree(b);
}

TEST_F(FxExports, ParameterRecordsGoThroughTheExports) {
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    const uint32_t echo = Nerla_ChannelSetFX(channel, NERLA_FX_ECHO);
    ASSERT_NE(echo, 0u);
    const DSFXEcho set{30.0f, 40.0f, 250.0f, 125.0f, 1};
    EXPECT_EQ(Nerla_SetFXParameters(channel, echo, &set), 1);
    DSFXEcho got{};
    EXPECT_EQ(Nerla_GetFXParameters(channel, echo, &got), 1);
    EXPECT_EQ(std::memcmp(&got, &set, sizeof set), 0);
    // Refused: answered with 1, nothing changed.
    const DSFXEcho tooLong{30.0f, 40.0f, 2500.0f, 125.0f, 1};
    EXPECT_EQ(Nerla_SetFXParameters(channel, echo, &tooLong), 1);
    EXPECT_EQ(Nerla_GetFXParameters(channel, echo, &got), 1);
    EXPECT_EQ(std::memcmp(&got, &set, sizeof set), 0);

    const uint32_t tempo = Nerla_ChannelSetFX(channel, NERLA_FX_TEMPO);
    NerlaTempoParameters t{};
    EXPECT_EQ(Nerla_GetFXParameters(channel, tempo, &t), 1);
    EXPECT_EQ(t.tempo, 1.0f);
    EXPECT_EQ(t.pitch, 0.0f);
    EXPECT_EQ(t.rate, 1.0f);
    Nerla_StreamFree(channel);
}

TEST_F(FxExports, LevelAndDataOfAPausedChannel) {
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    // Prerolled at 0: the ring holds the start of the 440 Hz tone, about
    // 0.8 of full scale on both sides.
    const uint32_t level = Nerla_ChannelGetLevel(channel);
    EXPECT_NEAR(static_cast<double>(level & 0xFFFF), 26214.0, 400.0);
    EXPECT_NEAR(static_cast<double>(level >> 16), 26214.0, 400.0);
    std::vector<float> spectrum(1024, -1.0f);
    EXPECT_EQ(Nerla_ChannelGetData(channel, spectrum.data(), NERLA_DATA_FFT2048), 2048);
    std::vector<int16_t> pcm(64);
    EXPECT_EQ(Nerla_ChannelGetData(channel, pcm.data(), 128), 128);
    EXPECT_EQ(Nerla_ChannelGetData(channel, nullptr, 128), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_ILLPARAM);
    Nerla_StreamFree(channel);
    EXPECT_EQ(Nerla_ChannelGetLevel(channel), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
}

TEST_F(FxExports, ChannelsWithoutProcessorData) {
    std::vector<float> buffer(1024);
    const NerlaHandle video = Nerla_StreamCreateFile(fixture("video-only.mp4").c_str(), 0, 0, 0);
    ASSERT_NE(video, 0u);
    EXPECT_EQ(Nerla_ChannelGetLevel(video), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOAUDIO);
    EXPECT_EQ(Nerla_ChannelGetData(video, buffer.data(), NERLA_DATA_FFT256), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOAUDIO);
    Nerla_StreamFree(video);

    // Renderer data: the renderer answers, and it has none.
    const NerlaHandle fromRenderer =
        Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, NERLA_FLAG_RENDERER_DATA);
    ASSERT_NE(fromRenderer, 0u);
    EXPECT_EQ(Nerla_ChannelGetLevel(fromRenderer), 0u);
    EXPECT_EQ(Nerla_ChannelGetData(fromRenderer, buffer.data(), 400), 0);
    Nerla_StreamFree(fromRenderer);
}

}  // namespace
