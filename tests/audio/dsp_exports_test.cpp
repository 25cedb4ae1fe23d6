// The DSP and effect exports on real channels: handles per channel, the
// results without a processor or a chain, and unknown handles.
#include <gtest/gtest.h>

#include <string>

#include "nerla.h"

namespace {

std::string fixture(const char* name) {
    return std::string(NERLA_FIXTURES "/") + name;
}

void NERLA_CALL nothing(uint32_t, NerlaHandle, void*, uint32_t, void*) {}

class DspExports : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Nerla_Init(0, 0), 1); }
    void TearDown() override { Nerla_Free(); }
};

TEST_F(DspExports, HandlesCountPerChannel) {
    const NerlaHandle a = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    const NerlaHandle b = Nerla_StreamCreateFile(fixture("sbs.mp4").c_str(), 0, 0, 0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_EQ(Nerla_ChannelSetDSP(a, &nothing, nullptr), 324187u);
    EXPECT_EQ(Nerla_ChannelSetDSP(a, &nothing, nullptr), 324188u);
    EXPECT_EQ(Nerla_ChannelSetDSP(b, &nothing, nullptr), 324187u);
    EXPECT_EQ(Nerla_ChannelSetDSP(a, nullptr, nullptr), 0u);
    EXPECT_EQ(Nerla_ChannelRemoveDSP(a, 324187), 1);
    EXPECT_EQ(Nerla_ChannelRemoveDSP(a, 324187), 0);
    EXPECT_EQ(Nerla_ChannelRemoveDSP(a, 5), 0);
    EXPECT_EQ(Nerla_ChannelSetDSP(a, &nothing, nullptr), 324189u);  // handles are not reused
    Nerla_StreamFree(a);
    Nerla_StreamFree(b);
}

TEST_F(DspExports, EffectCallsWithoutEffects) {
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    int record[16] = {};
    // No chain yet: parameter calls answer 1 and create nothing.
    EXPECT_EQ(Nerla_SetFXParameters(channel, 324571, record), 1);
    EXPECT_EQ(Nerla_GetFXParameters(channel, 324571, record), 1);
    EXPECT_EQ(Nerla_ChannelRemoveFX(channel, 324571), 0);
    for (int type : {0, -1, 99}) {
        EXPECT_EQ(Nerla_ChannelSetFX(channel, type), 0u) << type;
    }
    Nerla_StreamFree(channel);
    // A stale channel.
    EXPECT_EQ(Nerla_SetFXParameters(channel, 324571, record), 0);
    EXPECT_EQ(Nerla_ChannelSetDSP(channel, &nothing, nullptr), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
}

TEST_F(DspExports, ChannelsWithoutAudio) {
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("video-only.mp4").c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(Nerla_ChannelSetDSP(channel, &nothing, nullptr), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOAUDIO);
    EXPECT_EQ(Nerla_ChannelSetFX(channel, 1), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOAUDIO);
    EXPECT_EQ(Nerla_ChannelRemoveDSP(channel, 324187), 0);
    EXPECT_EQ(Nerla_SetFXParameters(channel, 324571, nullptr), 1);
    Nerla_StreamFree(channel);
}

}  // namespace
