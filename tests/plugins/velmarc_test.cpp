// Plugins/Velmarc.so as the player links it and as the engine loads it: its
// filter-class table, the hardware decoder checks on this machine, and the
// audio element remixing a 5.1 stream.
#include <dlfcn.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "nerla_plugin.h"
#include "velmarc.h"

namespace {

const double kA = std::sqrt(0.5);
constexpr double kPl = 0.8660254037844386;  // sqrt(3) / 2
constexpr int kFrames = 480;
// FL FR FC LFE RL RR
const std::vector<float> kSurround = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f};

class VelmarcTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

    void SetUp() override {
        library_ = dlopen(VELMARC_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr);
        plugin_ = reinterpret_cast<NerlaPluginProc>(dlsym(library_, NERLA_PLUGIN_EXPORT));
        ASSERT_NE(plugin_, nullptr);
        table_ = reinterpret_cast<const NerlaClassTable*>(plugin_(4));
        ASSERT_NE(table_, nullptr);
        Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MIXING, 0);
        Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MATRIX, 0);
        Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_LAYOUT, 0);
    }
    void TearDown() override {
        if (library_) {
            dlclose(library_);
        }
    }

    // The audio element, made the engine's way: class object, then factory.
    GstElement* makeAudioElement() {
        GstElementFactory* factory = nullptr;
        if (table_->classObject(&table_->entries[0].clsid, &factory) != 0 || !factory) {
            return nullptr;
        }
        GstElement* element = gst_element_factory_create(factory, nullptr);
        gst_object_unref(factory);
        return element;
    }

    void* library_ = nullptr;
    NerlaPluginProc plugin_ = nullptr;
    const NerlaClassTable* table_ = nullptr;
};

// The name-based GUID (version 5) of an element factory name.
NerlaGUID factoryGuid(const std::string& name) {
    const uint8_t space[16] = {0x6f, 0x0b, 0x8a, 0x52, 0x3d, 0x1e, 0x5c, 0x47,
                               0x9a, 0x0e, 0x4e, 0x65, 0x72, 0x6c, 0x61, 0x01};
    GChecksum* sha1 = g_checksum_new(G_CHECKSUM_SHA1);
    g_checksum_update(sha1, space, sizeof space);
    g_checksum_update(sha1, reinterpret_cast<const guchar*>(name.data()),
                      static_cast<gssize>(name.size()));
    uint8_t digest[20];
    gsize length = sizeof digest;
    g_checksum_get_digest(sha1, digest, &length);
    g_checksum_free(sha1);
    digest[6] = static_cast<uint8_t>((digest[6] & 0x0F) | 0x50);
    digest[8] = static_cast<uint8_t>((digest[8] & 0x3F) | 0x80);
    NerlaGUID guid;
    guid.Data1 = (uint32_t{digest[0]} << 24) | (digest[1] << 16) | (digest[2] << 8) | digest[3];
    guid.Data2 = static_cast<uint16_t>((digest[4] << 8) | digest[5]);
    guid.Data3 = static_cast<uint16_t>((digest[6] << 8) | digest[7]);
    std::memcpy(guid.Data4, digest + 8, 8);
    return guid;
}

TEST_F(VelmarcTest, OffersItsAudioElementAsAFilterClass) {
    for (const uint32_t query : {0u, 1u, 2u, 3u, 5u}) {
        EXPECT_EQ(plugin_(query), 0u) << "query " << query;
    }
    ASSERT_EQ(table_->count, 1u);
    const NerlaGUID expected = factoryGuid("velmarcaudiodecoder");
    EXPECT_EQ(std::memcmp(&table_->entries[0].clsid, &expected, sizeof expected), 0);
    EXPECT_EQ(std::u16string(table_->entries[0].name), u"Velmarc Audio Decoder");

    GstElementFactory* factory = nullptr;
    ASSERT_EQ(table_->classObject(&table_->entries[0].clsid, &factory), 0);
    ASSERT_NE(factory, nullptr);
    EXPECT_STREQ(GST_OBJECT_NAME(factory), "velmarcaudiodecoder");
    EXPECT_STREQ(gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME),
                 "Velmarc Audio Decoder");
    gst_object_unref(factory);

    NerlaGUID other = expected;
    other.Data1 ^= 1;
    factory = reinterpret_cast<GstElementFactory*>(&other);
    EXPECT_LT(table_->classObject(&other, &factory), 0);
    EXPECT_EQ(factory, nullptr);
    EXPECT_LT(table_->classObject(nullptr, &factory), 0);
    EXPECT_LT(table_->classObject(&expected, nullptr), 0);
}

TEST_F(VelmarcTest, FindsNoHardwareDecoderWhereThereIsNone) {
    const struct {
        int32_t family;
        std::vector<const char*> prefixes;
    } families[] = {
        {VELMARC_DECODER_CUDA, {"nv"}},
        {VELMARC_DECODER_VAAPI, {"va"}},
        {VELMARC_DECODER_QUICKSYNC, {"qsv", "msdk"}},
    };
    GList* decoders =
        gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_NONE);
    for (const auto& family : families) {
        bool present = false;
        for (GList* l = decoders; l; l = l->next) {
            for (const char* prefix : family.prefixes) {
                present = present || g_str_has_prefix(GST_OBJECT_NAME(l->data), prefix);
            }
        }
        if (present) {
            // a machine with such a decoder: whether it opens is the machine's matter
            std::printf("family %d has decoders here; not checked\n", family.family);
            continue;
        }
        EXPECT_EQ(Nerla_CheckHardwareDecoder(family.family), 0) << "family " << family.family;
    }
    gst_plugin_feature_list_free(decoders);
    for (const int32_t nonsense : {0, 4, -1, 1000}) {
        EXPECT_EQ(Nerla_CheckHardwareDecoder(nonsense), 0) << nonsense;
    }
    EXPECT_NE(Nerla_EnableHardwareDecoder(VELMARC_DECODER_SOFTWARE), 0);
    EXPECT_EQ(Nerla_EnableHardwareDecoder(7), 0);
}

TEST_F(VelmarcTest, TakesOnlyKnownOptionsAndValues) {
    EXPECT_NE(Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MIXING, 5), 0);
    EXPECT_NE(Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MATRIX, 2), 0);
    EXPECT_NE(Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_LAYOUT, 11), 0);
    EXPECT_EQ(Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MATRIX, 3), 0);
    EXPECT_EQ(Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_LAYOUT, 12), 0);
    EXPECT_EQ(Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_LAYOUT, -1), 0);
    EXPECT_EQ(Nerla_AUDIODEC_SetConfig(4, 1), 0);
    EXPECT_EQ(Nerla_AUDIODEC_SetConfig(0, 1), 0);
}

// What came out of the element for one buffer.
struct Mixed {
    int channels = 0;
    std::vector<float> firstFrame;
    bool sameInEveryFrame = true;
};

// Pushes `frames` frames of `channels` constant channels (F32, or S16 with
// `integer`) through the element and reads each buffer that comes out.
class MixPipeline {
  public:
    explicit MixPipeline(GstElement* element, int channels, guint64 mask, bool integer = false) {
        pipeline_ = gst_pipeline_new(nullptr);
        source_ = gst_element_factory_make("appsrc", nullptr);
        sink_ = gst_element_factory_make("appsink", nullptr);
        gchar* caps = g_strdup_printf(
            "audio/x-raw,format=%s,layout=interleaved,rate=48000,channels=%d,"
            "channel-mask=(bitmask)0x%" G_GINT64_MODIFIER "x",
            integer ? "S16LE" : "F32LE", channels, mask);
        GstCaps* parsed = gst_caps_from_string(caps);
        g_free(caps);
        g_object_set(source_, "caps", parsed, "format", GST_FORMAT_TIME, nullptr);
        gst_caps_unref(parsed);
        g_object_set(sink_, "sync", FALSE, nullptr);
        gst_bin_add_many(GST_BIN(pipeline_), source_, element, sink_, nullptr);
        linked_ = gst_element_link_many(source_, element, sink_, nullptr);
        gst_element_set_state(pipeline_, GST_STATE_PLAYING);
        integer_ = integer;
        channels_ = channels;
    }
    ~MixPipeline() {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }
    bool linked() const { return linked_; }

    Mixed push(const std::vector<float>& values) {
        const size_t sampleSize = integer_ ? 2 : 4;
        GstBuffer* buffer =
            gst_buffer_new_allocate(nullptr, kFrames * values.size() * sampleSize, nullptr);
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_WRITE);
        for (int f = 0; f < kFrames; ++f) {
            for (size_t c = 0; c < values.size(); ++c) {
                const size_t at = f * values.size() + c;
                if (integer_) {
                    reinterpret_cast<int16_t*>(map.data)[at] =
                        static_cast<int16_t>(std::lround(values[c] * 32767.0f));
                } else {
                    reinterpret_cast<float*>(map.data)[at] = values[c];
                }
            }
        }
        gst_buffer_unmap(buffer, &map);
        GST_BUFFER_PTS(buffer) = pushed_ * GST_SECOND / 100;
        GST_BUFFER_DURATION(buffer) = GST_SECOND / 100;
        ++pushed_;
        GstFlowReturn flow = GST_FLOW_OK;
        g_signal_emit_by_name(source_, "push-buffer", buffer, &flow);
        gst_buffer_unref(buffer);

        Mixed mixed;
        GstSample* sample = nullptr;
        g_signal_emit_by_name(sink_, "try-pull-sample", 5 * GST_SECOND, &sample);
        if (!sample) {
            return mixed;
        }
        GstStructure* structure = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
        gst_structure_get_int(structure, "channels", &mixed.channels);
        GstBuffer* out = gst_sample_get_buffer(sample);
        gst_buffer_map(out, &map, GST_MAP_READ);
        const auto* samples = reinterpret_cast<const float*>(map.data);
        const size_t count = map.size / sizeof(float);
        mixed.firstFrame.assign(samples, samples + std::min<size_t>(mixed.channels, count));
        for (size_t i = 0; i < count; ++i) {
            mixed.sameInEveryFrame =
                mixed.sameInEveryFrame && samples[i] == samples[i % mixed.channels];
        }
        gst_buffer_unmap(out, &map);
        gst_sample_unref(sample);
        return mixed;
    }

  private:
    GstElement* pipeline_;
    GstElement* source_;
    GstElement* sink_;
    bool linked_ = false;
    bool integer_ = false;
    int channels_ = 0;
    guint64 pushed_ = 0;
};

void expectSamples(const Mixed& mixed, const std::vector<double>& expected, const char* what) {
    ASSERT_EQ(mixed.channels, static_cast<int>(expected.size())) << what;
    ASSERT_EQ(mixed.firstFrame.size(), expected.size()) << what;
    EXPECT_TRUE(mixed.sameInEveryFrame) << what;
    for (size_t c = 0; c < expected.size(); ++c) {
        EXPECT_NEAR(mixed.firstFrame[c], expected[c], 1e-5) << what << ", channel " << c;
    }
}

TEST_F(VelmarcTest, RemixesFiveOneToEachLayout) {
    const double fl = 0.1, fr = 0.2, fc = 0.3, lfe = 0.4, rl = 0.5, rr = 0.6;
    const double itu = 1 + 2 * kA;    // L + C/-3 dB + Ls/-3 dB
    const double dolby = 1 + kA + 1;  // L + C/-3 dB + both surrounds/-6 dB
    const double proLogic = 1 + kA + kPl + 0.5;
    const double mono = 2 * kA + 1 + 1;  // L, R at -3 dB, C, surrounds at -6 dB
    const struct {
        const char* what;
        int layout;
        int matrix;
        std::vector<double> expected;
    } cases[] = {
        {"Stereo Downmix (ITU)",
         11,
         0,
         {(fl + kA * fc + kA * rl) / itu, (fr + kA * fc + kA * rr) / itu}},
        {"Stereo Downmix ignores the matrix",
         11,
         2,
         {(fl + kA * fc + kA * rl) / itu, (fr + kA * fc + kA * rr) / itu}},
        {"Stereo", 1, 0, {(fl + kA * fc + kA * rl) / itu, (fr + kA * fc + kA * rr) / itu}},
        {"Stereo, Dolby Surround",
         1,
         1,
         {(fl + kA * fc - 0.5 * rl - 0.5 * rr) / dolby,
          (fr + kA * fc + 0.5 * rl + 0.5 * rr) / dolby}},
        {"Stereo, Dolby Pro Logic II",
         1,
         2,
         {(fl + kA * fc - kPl * rl - 0.5 * rr) / proLogic,
          (fr + kA * fc + 0.5 * rl + kPl * rr) / proLogic}},
        {"Mono", 0, 0, {(kA * fl + kA * fr + fc + 0.5 * rl + 0.5 * rr) / mono}},
        {"3.1",
         3,
         0,
         {(fl + kA * rl) / (1 + kA), (fr + kA * rr) / (1 + kA), fc / (1 + kA), lfe / (1 + kA)}},
        {"4.0",
         4,
         0,
         {(fl + kA * fc) / (1 + kA), (fr + kA * fc) / (1 + kA), rl / (1 + kA), rr / (1 + kA)}},
        {"5.1 as it is", 7, 0, {fl, fr, fc, lfe, rl, rr}},
        {"7.1 with silent sides", 10, 0, {fl, fr, fc, lfe, rl, rr, 0, 0}},
    };
    for (const auto& test : cases) {
        Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MIXING, 1);
        Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_LAYOUT, test.layout);
        Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MATRIX, test.matrix);
        MixPipeline pipeline(makeAudioElement(), 6, 0x3f);
        ASSERT_TRUE(pipeline.linked()) << test.what;
        expectSamples(pipeline.push(kSurround), test.expected, test.what);
    }
}

TEST_F(VelmarcTest, PassesThroughWithMixingOff) {
    Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_LAYOUT, 11);
    MixPipeline pipeline(makeAudioElement(), 6, 0x3f);
    ASSERT_TRUE(pipeline.linked());
    expectSamples(pipeline.push(kSurround), {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, "mixing off");
}

TEST_F(VelmarcTest, RenegotiatesWhenTheOptionsChange) {
    MixPipeline pipeline(makeAudioElement(), 6, 0x3f);
    ASSERT_TRUE(pipeline.linked());
    expectSamples(pipeline.push(kSurround), {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, "before");

    Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_LAYOUT, 11);
    Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MIXING, 1);
    const double itu = 1 + 2 * kA;
    expectSamples(pipeline.push(kSurround),
                  {(0.1 + kA * 0.3 + kA * 0.5) / itu, (0.2 + kA * 0.3 + kA * 0.6) / itu},
                  "mixing on");

    Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MIXING, 0);
    expectSamples(pipeline.push(kSurround), {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, "off again");
}

TEST_F(VelmarcTest, TakesIntegerSamplesToo) {
    Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_MIXING, 1);
    Nerla_AUDIODEC_SetConfig(VELMARC_AUDIO_LAYOUT, 11);
    MixPipeline pipeline(makeAudioElement(), 6, 0x3f, true);
    ASSERT_TRUE(pipeline.linked());
    const double itu = 1 + 2 * kA;
    const Mixed mixed = pipeline.push(kSurround);
    ASSERT_EQ(mixed.channels, 2);
    // through 16 bits: within a step or two of the float result
    EXPECT_NEAR(mixed.firstFrame[0], (0.1 + kA * 0.3 + kA * 0.5) / itu, 1e-4);
    EXPECT_NEAR(mixed.firstFrame[1], (0.2 + kA * 0.3 + kA * 0.6) / itu, 1e-4);
}

}  // namespace
