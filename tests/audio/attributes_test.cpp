// Channel attributes through the exports: volume and pan on each kind of
// audio renderer, rate, the video attributes on a channel without video,
// and the numbers and values that are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "nerla.h"

namespace {

std::string fixture(const char* name) {
    return std::string(NERLA_FIXTURES "/") + name;
}

class Attributes : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Nerla_Init(0, 0), 1); }
    void TearDown() override {
        Nerla_SetConfig(NERLA_CONFIG_AUDIO_RENDERER, -1);
        Nerla_Free();
    }

    NerlaHandle open(const char* name, intptr_t renderer = -1) {
        Nerla_SetConfig(NERLA_CONFIG_AUDIO_RENDERER, renderer);
        const NerlaHandle channel = Nerla_StreamCreateFile(fixture(name).c_str(), 0, 0, 0);
        EXPECT_NE(channel, 0u) << Nerla_ErrorGetCode();
        return channel;
    }
};

struct Set {
    int32_t attribute;
    float value;
    int32_t result;
    float reads;
};

TEST_F(Attributes, VolumeAndPanOfTheDesktopRenderer) {
    const NerlaHandle channel = open("audio.wav");
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_VOLUME), 100.0f);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_BALANCE), 0.0f);
    for (Set c : {
             Set{NERLA_ATTRIB_VOLUME, 50.0f, 1, 50.0f},
             Set{NERLA_ATTRIB_VOLUME, 0.0f, 1, 1.0f},  // silent, reads 1
             Set{NERLA_ATTRIB_VOLUME, -20.0f, 1, 1.0f},
             Set{NERLA_ATTRIB_VOLUME, 150.0f, 1, 100.0f},
             Set{NERLA_ATTRIB_VOLUME, 49.9f, 1, 49.0f},  // toward zero
             Set{NERLA_ATTRIB_VOLUME, INFINITY, 1, 100.0f},
             Set{NERLA_ATTRIB_BALANCE, 50.0f, 1, 50.0f},
             Set{NERLA_ATTRIB_BALANCE, -150.0f, 1, -100.0f},  // stored -10000
             Set{NERLA_ATTRIB_BALANCE, 0.7f, 1, 0.0f},
             Set{NERLA_ATTRIB_BALANCE, -99.9f, 1, -99.0f},
             Set{NERLA_ATTRIB_BALANCE, 3e9f, 1, 100.0f},
         }) {
        SCOPED_TRACE(testing::Message() << c.attribute << " = " << c.value);
        EXPECT_EQ(Nerla_ChannelSetAttribute(channel, c.attribute, c.value), c.result);
        EXPECT_EQ(Nerla_ChannelGetAttribute(channel, c.attribute), c.reads);
    }
    // Not a number: refused, nothing changes (the last volume set was 100).
    EXPECT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_VOLUME, NAN), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_ILLPARAM);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_VOLUME), 100.0f);
    Nerla_StreamFree(channel);
}

TEST_F(Attributes, TheNullRendererTakesEverythingAndStaysAtFullLevel) {
    const NerlaHandle channel = open("audio.wav", NERLA_AUDIO_RENDERER_NULL);
    for (Set c :
         {Set{NERLA_ATTRIB_VOLUME, 30.0f, 1, 100.0f}, Set{NERLA_ATTRIB_VOLUME, 0.0f, 1, 100.0f},
          Set{NERLA_ATTRIB_BALANCE, -60.0f, 1, 0.0f}}) {
        SCOPED_TRACE(testing::Message() << c.attribute << " = " << c.value);
        EXPECT_EQ(Nerla_ChannelSetAttribute(channel, c.attribute, c.value), c.result);
        EXPECT_EQ(Nerla_ChannelGetAttribute(channel, c.attribute), c.reads);
    }
    Nerla_StreamFree(channel);
}

TEST_F(Attributes, WithoutAnAudioRenderer) {
    // The session has two output devices: the third cannot be had.
    const NerlaHandle channel = open("audio.wav", 3);
    for (int32_t attribute : {NERLA_ATTRIB_VOLUME, NERLA_ATTRIB_BALANCE}) {
        SCOPED_TRACE(attribute);
        EXPECT_EQ(Nerla_ChannelSetAttribute(channel, attribute, 40.0f), 0);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOAUDIO);
        EXPECT_EQ(Nerla_ChannelGetAttribute(channel, attribute), 0.0f);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOAUDIO);
    }
    Nerla_StreamFree(channel);
}

TEST_F(Attributes, RateAndTheVideoAttributesOfASoundFile) {
    const NerlaHandle channel = open("audio.wav");
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_RATE), 1.0f);
    EXPECT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_RATE, 2.0f), 1);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_RATE), 2.0f);
    // A refused rate is answered with 1 and changes nothing.
    EXPECT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_RATE, -1.0f), 1);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_RATE), 2.0f);

    // No video renderer: alpha is accepted, the view value is not.
    EXPECT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_VIDEO_ALPHA, 50.0f), 1);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOVIDEO);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_VIDEO_ALPHA), 0.0f);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOVIDEO);
    EXPECT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_VIEW, 3.0f), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOVIDEO);
    Nerla_StreamFree(channel);

    // With a picture the video renderer answers, whichever it is.
    const NerlaHandle video = open("video-only.mp4");
    for (int32_t attribute : {NERLA_ATTRIB_VIDEO_ALPHA, NERLA_ATTRIB_VIEW}) {
        SCOPED_TRACE(attribute);
        Nerla_ChannelSetAttribute(video, 6, 0.0f);  // error 11 before
        Nerla_ChannelSetAttribute(video, attribute, 3.0f);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_ILLPARAM);
    }
    Nerla_StreamFree(video);
}

TEST_F(Attributes, RefusedNumbersAndChannels) {
    const NerlaHandle channel = open("audio.wav");
    for (int32_t attribute : {5, 6, 0, -1}) {
        SCOPED_TRACE(attribute);
        Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_VOLUME, 60.0f);  // error back to its own
        EXPECT_EQ(Nerla_ChannelGetAttribute(channel, attribute), 0.0f);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_ILLPARAM);
    }
    for (int32_t attribute : {6, 0, 1000}) {
        SCOPED_TRACE(attribute);
        EXPECT_EQ(Nerla_ChannelSetAttribute(channel, attribute, 1.0f), 0);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_ILLPARAM);
    }
    Nerla_StreamFree(channel);
    EXPECT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_VOLUME, 50.0f), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_RATE), 0.0f);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
}

}  // namespace
