// The spectrum follows the play position of a running pipeline: appsrc
// plays a tone that changes at 1 s through "Nerla Audio Processor" into a
// sink that keeps real time; the spectrum read at each moment shows the
// tone of that moment.
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "audio/audio_processor.h"
#include "audio/audio_processor_state.h"
#include "audio/levels.h"
#include "audio/stream_time.h"
#include "nerla.h"

namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 480;  // 10 ms
// On bins 32 and 64 of a 1024-point spectrum.
constexpr double kBefore = 1500.0;
constexpr double kAfter = 3000.0;

TEST(ChannelDataInAPipeline, SpectrumFollowsThePlayPosition) {
    gst_init(nullptr, nullptr);
    GstElement* pipeline = gst_pipeline_new(nullptr);
    GstElement* src = gst_element_factory_make("appsrc", nullptr);
    GstElement* processor = nerla::makeAudioProcessor();
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    ASSERT_TRUE(pipeline && src && processor && sink);
    GstCaps* caps =
        gst_caps_from_string("audio/x-raw,format=F32LE,layout=interleaved,rate=48000,channels=1");
    g_object_set(src, "caps", caps, "format", GST_FORMAT_TIME, "block", TRUE, "max-bytes",
                 guint64(4 * kBlock * 4), nullptr);
    gst_caps_unref(caps);
    g_object_set(sink, "sync", TRUE, nullptr);
    gst_bin_add_many(GST_BIN(pipeline), src, processor, sink, nullptr);
    ASSERT_TRUE(gst_element_link_many(src, processor, sink, nullptr));
    nerla::AudioProcessorState& state = *nerla::audioProcessorState(processor);

    std::thread feeder([src] {
        for (int b = 0; b < 170; ++b) {
            GstBuffer* buffer = gst_buffer_new_allocate(nullptr, kBlock * 4, nullptr);
            GstMapInfo map;
            gst_buffer_map(buffer, &map, GST_MAP_WRITE);
            auto* samples = reinterpret_cast<float*>(map.data);
            for (int i = 0; i < kBlock; ++i) {
                const double t = static_cast<double>(b * kBlock + i) / kRate;
                samples[i] = static_cast<float>(
                    0.5 * std::sin(2.0 * std::numbers::pi * (t < 1.0 ? kBefore : kAfter) * t));
            }
            gst_buffer_unmap(buffer, &map);
            GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(b * kBlock, GST_SECOND, kRate);
            GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(kBlock, GST_SECOND, kRate);
            if (gst_app_src_push_buffer(GST_APP_SRC(src), buffer) != GST_FLOW_OK) {
                return;
            }
        }
        gst_app_src_end_of_stream(GST_APP_SRC(src));
    });
    gst_element_set_state(pipeline, GST_STATE_PLAYING);

    int before = 0;
    int after = 0;
    std::vector<float> spectrum(512);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        const int64_t now = nerla::streamTime100ns(processor);
        if (now > 15000000) {
            break;
        }
        ASSERT_EQ(nerla::readChannelData(state, now, spectrum.data(), NERLA_DATA_FFT1024), 1024);
        const auto top = std::max_element(spectrum.begin(), spectrum.end());
        if (*top < 0.05f) {
            continue;  // the stream had not reached this moment yet
        }
        const long bin = top - spectrum.begin();
        if (now < 9500000) {
            EXPECT_EQ(bin, 32) << "at " << now / 10000 << " ms";
            ++before;
        } else if (now > 10500000) {
            EXPECT_EQ(bin, 64) << "at " << now / 10000 << " ms";
            ++after;
        }
    }
    EXPECT_GT(before, 10);
    EXPECT_GT(after, 10);

    gst_element_set_state(pipeline, GST_STATE_NULL);
    feeder.join();
    gst_object_unref(pipeline);
}

}  // namespace
