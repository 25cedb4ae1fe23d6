// The audio processor element in a pipeline of its own: DSP callbacks in
// order and in place, the float-DSP mode, the history ring, format changes,
// empty buffers, and callbacks added and removed while audio streams.
#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_processor.h"
#include "audio/audio_processor_state.h"
#include "nerla.h"

namespace {

using nerla::AudioEffectChain;
using nerla::AudioProcessorState;

// appsrc ! "Nerla Audio Processor" ! appsink
class ProcessorPipeline {
  public:
    explicit ProcessorPipeline(const char* caps) {
        gst_init(nullptr, nullptr);
        pipeline_ = gst_pipeline_new(nullptr);
        src_ = gst_element_factory_make("appsrc", nullptr);
        processor_ = nerla::makeAudioProcessor();
        sink_ = gst_element_factory_make("appsink", nullptr);
        setCaps(caps);
        g_object_set(src_, "format", GST_FORMAT_TIME, "block", TRUE, "max-bytes", guint64(1 << 20),
                     nullptr);
        g_object_set(sink_, "sync", FALSE, "max-buffers", 10000u, nullptr);
        gst_bin_add_many(GST_BIN(pipeline_), src_, processor_, sink_, nullptr);
        gst_element_link_many(src_, processor_, sink_, nullptr);
        gst_element_set_state(pipeline_, GST_STATE_PLAYING);
    }
    ~ProcessorPipeline() {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }

    void setCaps(const char* caps) {
        GstCaps* c = gst_caps_from_string(caps);
        g_object_set(src_, "caps", c, nullptr);
        gst_caps_unref(c);
    }

    void push(const void* data, size_t bytes, GstClockTime pts = 0) {
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
        gst_buffer_fill(buffer, 0, data, bytes);
        GST_BUFFER_PTS(buffer) = pts;
        ASSERT_EQ(gst_app_src_push_buffer(GST_APP_SRC(src_), buffer), GST_FLOW_OK);
    }

    // The next processed buffer's bytes; empty after 2 s without one.
    std::vector<uint8_t> pull() {
        GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink_), 2 * GST_SECOND);
        if (!sample) {
            return {};
        }
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        std::vector<uint8_t> bytes(gst_buffer_get_size(buffer));
        gst_buffer_extract(buffer, 0, bytes.data(), bytes.size());
        gst_sample_unref(sample);
        return bytes;
    }

    AudioProcessorState& state() { return *nerla::audioProcessorState(processor_); }

    // Pushes one buffer through so that the caps are negotiated.
    void negotiate(size_t bytes) {
        std::vector<uint8_t> silence(bytes, 0);
        push(silence.data(), silence.size());
        pull();
    }

  private:
    GstElement* pipeline_;
    GstElement* src_;
    GstElement* processor_;
    GstElement* sink_;
};

constexpr const char* kStereo16 =
    "audio/x-raw,format=S16LE,layout=interleaved,rate=48000,channels=2";
constexpr const char* kStereoFloat =
    "audio/x-raw,format=F32LE,layout=interleaved,rate=48000,channels=2";

struct Calls {
    std::mutex lock;
    std::vector<std::string> order;
    std::vector<uint32_t> lengths;
    std::vector<float> firstFloats;
};

void NERLA_CALL recordA(uint32_t, NerlaHandle channel, void* buffer, uint32_t length, void* user) {
    auto* calls = static_cast<Calls*>(user);
    std::lock_guard guard(calls->lock);
    calls->order.push_back(channel == 0 ? "A" : "A?");
    calls->lengths.push_back(length);
    calls->firstFloats.push_back(static_cast<float*>(buffer)[0]);
}

void NERLA_CALL recordB(uint32_t, NerlaHandle, void*, uint32_t, void* user) {
    auto* calls = static_cast<Calls*>(user);
    std::lock_guard guard(calls->lock);
    calls->order.push_back("B");
}

void NERLA_CALL silence(uint32_t, NerlaHandle, void* buffer, uint32_t length, void*) {
    std::memset(buffer, 0, length);
}

std::vector<int16_t> ramp(size_t samples) {
    std::vector<int16_t> pcm(samples);
    for (size_t i = 0; i < samples; ++i) {
        pcm[i] = static_cast<int16_t>(1000 + i);
    }
    return pcm;
}

TEST(AudioProcessor, CallbacksRunNewestFirstAndEditInPlace) {
    ProcessorPipeline p(kStereo16);
    p.negotiate(400);
    AudioEffectChain* chain = p.state().chain(true);
    Calls calls;
    EXPECT_EQ(chain->addDsp(nullptr, &calls), 0u);
    EXPECT_EQ(chain->addDsp(&recordB, &calls), 324187u);  // shown as B
    EXPECT_EQ(chain->addDsp(&recordA, &calls), 324188u);

    const auto pcm = ramp(200);
    p.push(pcm.data(), 400);
    EXPECT_EQ(p.pull().size(), 400u);
    EXPECT_EQ(calls.order, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(calls.lengths, std::vector<uint32_t>{400});

    // A callback that zeroes the samples silences what leaves.
    const uint32_t mute = chain->addDsp(&silence, nullptr);
    p.push(pcm.data(), 400);
    EXPECT_EQ(p.pull(), std::vector<uint8_t>(400, 0));
    EXPECT_TRUE(chain->removeDsp(mute));
    EXPECT_FALSE(chain->removeDsp(mute));
    p.push(pcm.data(), 400);
    const auto out = p.pull();
    ASSERT_EQ(out.size(), 400u);
    EXPECT_EQ(std::memcmp(out.data(), pcm.data(), 400), 0);
}

TEST(AudioProcessor, FloatModeHandsIntegerStreamsOverAsFloats) {
    struct Case {
        const char* caps;
        bool floatDsp;
        uint32_t length;  // what the callback sees for 400 bytes
        float first;
    };
    const int16_t first16 = -32768;
    const float firstFloat = 0.25f;
    for (Case c : {Case{kStereo16, true, 800, -1.0f}, Case{kStereo16, false, 400, 0.0f},
                   Case{kStereoFloat, true, 400, firstFloat}}) {
        SCOPED_TRACE(std::string(c.caps) + (c.floatDsp ? " float-DSP" : ""));
        Nerla_SetConfig(NERLA_CONFIG_FLOAT_DSP, c.floatDsp ? 1 : 0);
        ProcessorPipeline p(c.caps);
        p.negotiate(400);
        Calls calls;
        p.state().chain(true)->addDsp(&recordA, &calls);
        Nerla_SetConfig(NERLA_CONFIG_FLOAT_DSP, c.floatDsp ? 0 : 1);  // too late for this chain
        std::vector<uint8_t> data(400, 0);
        if (std::string(c.caps) == kStereo16) {
            std::memcpy(data.data(), &first16, 2);
        } else {
            std::memcpy(data.data(), &firstFloat, 4);
        }
        p.push(data.data(), data.size());
        const auto out = p.pull();
        ASSERT_EQ(calls.lengths.size(), 1u);
        EXPECT_EQ(calls.lengths[0], c.length);
        if (c.length == 800 || c.caps == kStereoFloat) {
            EXPECT_FLOAT_EQ(calls.firstFloats[0], c.first);
        }
        // The round trip through floats gives the samples back.
        EXPECT_EQ(out, data);
    }
    Nerla_SetConfig(NERLA_CONFIG_FLOAT_DSP, 0);
}

TEST(AudioProcessor, RingHoldsOneSecondAndFollowsAFormatChange) {
    ProcessorPipeline p(kStereo16);
    const auto pcm = ramp(200);
    p.push(pcm.data(), 400, 2 * GST_SECOND);
    ASSERT_EQ(p.pull().size(), 400u);
    p.state().withRing([&](const nerla::HistoryRing* ring) {
        ASSERT_NE(ring, nullptr);
        EXPECT_EQ(ring->bytes().size(), 48000u * 4);
        EXPECT_EQ(ring->frames(), 48000);
        EXPECT_EQ(ring->writePosition(), 400u);
        EXPECT_EQ(ring->lastBlockStart(), 20000000);
        EXPECT_EQ(std::memcmp(ring->bytes().data(), pcm.data(), 400), 0);
    });

    // Six channels from now on: the ring starts again at the new size.
    p.setCaps(
        "audio/"
        "x-raw,format=S16LE,layout=interleaved,rate=48000,channels=6,channel-mask=(bitmask)0x3f");
    std::vector<int16_t> six(600, 7);
    p.push(six.data(), 1200, 3 * GST_SECOND);
    ASSERT_EQ(p.pull().size(), 1200u);
    EXPECT_EQ(p.state().format().channels, 6);
    p.state().withRing([&](const nerla::HistoryRing* ring) {
        EXPECT_EQ(ring->bytes().size(), 48000u * 12);
        EXPECT_EQ(ring->writePosition(), 1200u);
    });
}

TEST(AudioProcessor, EmptyBuffersStayBehind) {
    ProcessorPipeline p(kStereo16);
    p.push(nullptr, 0);
    const auto pcm = ramp(100);
    p.push(pcm.data(), 200);
    EXPECT_EQ(p.pull().size(), 200u);  // the empty one never arrived
}

std::atomic<int> gCalls{0};
void NERLA_CALL count(uint32_t, NerlaHandle, void* buffer, uint32_t length, void*) {
    ++gCalls;
    static_cast<volatile uint8_t*>(buffer)[length - 1] = static_cast<uint8_t*>(buffer)[length - 1];
}

// Entries removed while buffers are in flight are never freed under them;
// the sanitizer run would see it.
TEST(AudioProcessor, CallbacksComeAndGoWhileAudioStreams) {
    ProcessorPipeline p(kStereo16);
    p.negotiate(400);
    AudioEffectChain* chain = p.state().chain(true);
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        const auto pcm = ramp(480);
        while (!done) {
            p.push(pcm.data(), 960);
            p.pull();
        }
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    int added = 0;
    while (std::chrono::steady_clock::now() < until) {
        const uint32_t a = chain->addDsp(&count, nullptr);
        const uint32_t b = chain->addDsp(&count, nullptr);
        ASSERT_NE(a, 0u);
        EXPECT_TRUE(chain->removeDsp(a));
        EXPECT_TRUE(chain->removeDsp(b));
        added += 2;
    }
    done = true;
    feeder.join();
    EXPECT_GT(added, 100);
    EXPECT_GT(gCalls.load(), 0);
}

}  // namespace

namespace {

// The chain keeps its creation format; a new effect must see the stream's.
TEST(AudioProcessor, EffectsStartOnTheCurrentFormat) {
    ProcessorPipeline p(kStereo16);
    p.negotiate(400);
    AudioEffectChain* chain = p.state().chain(true);
    p.setCaps("audio/x-raw,format=S16LE,layout=interleaved,rate=48000,channels=1");
    p.negotiate(200);
    EXPECT_EQ(chain->addEffect(8, p.state().format()), 0u);  // the channel copy needs stereo
    p.setCaps(kStereo16);
    p.negotiate(400);
    EXPECT_EQ(chain->addEffect(8, p.state().format()), 324571u);
}

}  // namespace
