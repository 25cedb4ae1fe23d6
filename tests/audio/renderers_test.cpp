// Audio outputs: the device list of the test session's sound server, the
// renderer choices at channel creation, and the level stage's attenuation.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "audio/output_level.h"
#include "audio/volume_curve.h"
#include "nerla.h"

namespace {

std::string fixture(const char* name) {
    return std::string(NERLA_FIXTURES "/") + name;
}

struct Listed {
    std::vector<std::string> names;
    std::vector<NerlaGUID> guids;
};

void NERLA_CALL collectAnsi(const void* name, NerlaGUID guid, void* user) {
    static_cast<Listed*>(user)->names.emplace_back(static_cast<const char*>(name));
    static_cast<Listed*>(user)->guids.push_back(guid);
}

void NERLA_CALL collectWide(const void* name, NerlaGUID, void* user) {
    const std::u16string wide(static_cast<const char16_t*>(name));
    static_cast<Listed*>(user)->names.emplace_back(wide.begin(), wide.end());
}

bool sameGuid(const NerlaGUID& a, const NerlaGUID& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class AudioRenderers : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Nerla_Init(0, 0), 1); }
    void TearDown() override {
        Nerla_SetConfig(NERLA_CONFIG_AUDIO_RENDERER, -1);
        Nerla_Free();
    }
};

TEST_F(AudioRenderers, TheSessionsTwoSinksAreListed) {
    Listed ansi, again, wide;
    const int32_t count = Nerla_GetAudioRenderers(&collectAnsi, &ansi, 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    std::vector<std::string> sorted = ansi.names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"Nerla_Test_Sink_A", "Nerla_Test_Sink_B"}));
    EXPECT_FALSE(sameGuid(ansi.guids[0], ansi.guids[1]));

    EXPECT_EQ(Nerla_GetAudioRenderers(&collectAnsi, &again, 0), 2);
    EXPECT_EQ(again.names, ansi.names);  // the same order
    EXPECT_TRUE(sameGuid(again.guids[0], ansi.guids[0]));
    EXPECT_EQ(Nerla_GetAudioRenderers(&collectWide, &wide, 0x80000000u), 2);
    EXPECT_EQ(wide.names, ansi.names);

    Listed none;
    EXPECT_EQ(Nerla_GetAudioRenderers(&collectAnsi, &none, 5), 2);  // counted, no names
    EXPECT_TRUE(none.names.empty());
    EXPECT_EQ(Nerla_GetAudioRenderers(nullptr, nullptr, 0), 2);
}

bool hasElement(NerlaHandle channel, const char* name) {
    GstElement* e = gst_bin_get_by_name(static_cast<GstBin*>(Nerla_GetGraph(channel)), name);
    if (e) {
        gst_object_unref(e);
    }
    return e != nullptr;
}

TEST_F(AudioRenderers, TheChoiceAtCreation) {
    struct Case {
        intptr_t choice;
        bool desktop;
        bool null;
    };
    for (Case c : {Case{-1, true, false}, Case{1, true, false}, Case{2, true, false},
                   Case{3, false, false}, Case{10094, false, true}}) {
        SCOPED_TRACE(c.choice);
        Nerla_SetConfig(NERLA_CONFIG_AUDIO_RENDERER, c.choice);
        const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
        ASSERT_NE(channel, 0u) << Nerla_ErrorGetCode();
        EXPECT_EQ(hasElement(channel, "Audio Renderer"), c.desktop);
        EXPECT_EQ(hasElement(channel, "NULL Audio Renderer"), c.null);
        Nerla_StreamFree(channel);
    }
}

TEST(VolumeCurve, HundredthsOfADecibel) {
    struct Case {
        double percent;
        int32_t hundredths;
    };
    for (Case c :
         {Case{100, 0}, Case{50, -752}, Case{10, -2500}, Case{1, -5000}, Case{0.5, -10000}}) {
        EXPECT_EQ(nerla::volumeToHundredthsDb(c.percent), c.hundredths) << c.percent;
    }
}

// RMS per channel of a stereo sine after the level stage.
std::pair<double, double> levels(int32_t volume, int32_t balance) {
    gst_init(nullptr, nullptr);
    nerla::registerOutputLevel();
    GstElement* pipeline = gst_parse_launch(
        "audiotestsrc wave=sine freq=440 volume=0.5 num-buffers=20 ! "
        "audio/x-raw,format=F32LE,channels=2,rate=48000 ! nerlaoutputlevel name=level ! "
        "appsink name=out sync=false",
        nullptr);
    GstElement* level = gst_bin_get_by_name(GST_BIN(pipeline), "level");
    nerla::setOutputVolume(level, volume);
    nerla::setOutputBalance(level, balance);
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    double sum[2] = {0, 0};
    size_t frames = 0;
    while (GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(sink))) {
        GstMapInfo map;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        gst_buffer_map(buffer, &map, GST_MAP_READ);
        const auto* f = reinterpret_cast<const float*>(map.data);
        for (size_t i = 0; i + 1 < map.size / 4; i += 2) {
            sum[0] += f[i] * f[i];
            sum[1] += f[i + 1] * f[i + 1];
            ++frames;
        }
        gst_buffer_unmap(buffer, &map);
        gst_sample_unref(sample);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(level);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    return {std::sqrt(sum[0] / frames), std::sqrt(sum[1] / frames)};
}

double db(double ratio) {
    return 20 * std::log10(ratio);
}

TEST(OutputLevel, AttenuatesByHundredthsOfADecibel) {
    const auto [left0, right0] = levels(0, 0);
    ASSERT_GT(left0, 0.1);
    const auto [left, right] = levels(-752, 0);
    EXPECT_NEAR(db(left / left0), -7.52, 0.05);
    EXPECT_NEAR(db(right / right0), -7.52, 0.05);
    // Balance takes its value off the other side.
    const auto [l1, r1] = levels(0, 3000);
    EXPECT_NEAR(db(l1 / left0), -30.0, 0.05);
    EXPECT_NEAR(db(r1 / right0), 0.0, 0.05);
    const auto [l2, r2] = levels(0, -600);
    EXPECT_NEAR(db(l2 / left0), 0.0, 0.05);
    EXPECT_NEAR(db(r2 / right0), -6.0, 0.05);
    const auto [l3, r3] = levels(-10000, 0);
    EXPECT_EQ(l3, 0.0);
    EXPECT_EQ(r3, 0.0);
}

}  // namespace
