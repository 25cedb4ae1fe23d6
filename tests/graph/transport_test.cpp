// Playing, pausing and stopping channels; length and position in every unit;
// seeks in the three states; the rate; the information record.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

#include "frame/channel_list.h"
#include "graph/direct_show.h"
#include "nerla.h"
#include "playback.h"

namespace {

using playback::fixture;

class Transport : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Nerla_Init(0, 0), 1); }
    void TearDown() override { Nerla_Free(); }

    NerlaHandle open(const char* name, uint32_t flags = 0) {
        const NerlaHandle channel = Nerla_StreamCreateFile(fixture(name).c_str(), 0, 0, flags);
        EXPECT_NE(channel, 0u) << name << ": error " << Nerla_ErrorGetCode();
        return channel;
    }
};

GstState pipelineState(NerlaHandle channel) {
    GstState state = GST_STATE_VOID_PENDING;
    gst_element_get_state(static_cast<GstElement*>(Nerla_GetGraph(channel)), &state, nullptr,
                          5 * GST_SECOND);
    return state;
}

// The pipeline's own duration in media time, next to which the units are checked.
double pipelineDuration(NerlaHandle channel) {
    gint64 nanos = -1;
    gst_element_query_duration(static_cast<GstElement*>(Nerla_GetGraph(channel)), GST_FORMAT_TIME,
                               &nanos);
    return static_cast<double>(nanos / 100);
}

enum class Op { Play, Pause, Stop };

int32_t apply(Op op, NerlaHandle channel) {
    switch (op) {
        case Op::Play:
            return Nerla_ChannelPlay(channel);
        case Op::Pause:
            return Nerla_ChannelPause(channel);
        case Op::Stop:
            return Nerla_ChannelStop(channel);
    }
    return -1;
}

// Brings a channel into `state` at 1.5 s.
void enter(NerlaHandle channel, int32_t state) {
    Nerla_ChannelStop(channel);
    ASSERT_EQ(Nerla_ChannelSetPosition(channel, 1500, NERLA_UNIT_MILLISECONDS), 1);
    if (state != NERLA_STATE_STOPPED) {
        ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    }
    if (state == NERLA_STATE_PAUSED) {
        ASSERT_EQ(Nerla_ChannelPause(channel), 1);
    }
    ASSERT_EQ(Nerla_ChannelGetState(channel), state);
}

TEST_F(Transport, TransitionsAndRefusals) {
    struct Case {
        int32_t from;
        Op op;
        int32_t result;
        int32_t to;
    };
    const Case cases[] = {
        {NERLA_STATE_STOPPED, Op::Play, 1, NERLA_STATE_PLAYING},
        {NERLA_STATE_STOPPED, Op::Pause, 0, NERLA_STATE_STOPPED},
        {NERLA_STATE_STOPPED, Op::Stop, 0, NERLA_STATE_STOPPED},
        {NERLA_STATE_PLAYING, Op::Play, 0, NERLA_STATE_PLAYING},
        {NERLA_STATE_PLAYING, Op::Pause, 1, NERLA_STATE_PAUSED},
        {NERLA_STATE_PLAYING, Op::Stop, 1, NERLA_STATE_STOPPED},
        {NERLA_STATE_PAUSED, Op::Play, 1, NERLA_STATE_PLAYING},
        {NERLA_STATE_PAUSED, Op::Pause, 0, NERLA_STATE_PAUSED},
        {NERLA_STATE_PAUSED, Op::Stop, 1, NERLA_STATE_STOPPED},
    };
    const NerlaHandle channel = open("sbs.mp4");
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_STOPPED);  // as opened
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " op " << static_cast<int>(c.op));
        enter(channel, c.from);
        Nerla_ChannelPlay(4242);  // leaves an error code behind
        EXPECT_EQ(apply(c.op, channel), c.result);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
        EXPECT_EQ(Nerla_ChannelGetState(channel), c.to);
        // Stopped is prerolled: the picture and the length stay.
        EXPECT_EQ(pipelineState(channel),
                  c.to == NERLA_STATE_PLAYING ? GST_STATE_PLAYING : GST_STATE_PAUSED);
        EXPECT_GT(Nerla_ChannelGetLength(channel, NERLA_UNIT_SECONDS), 3.0);
        const double position = Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS);
        if (c.op == Op::Stop) {
            EXPECT_EQ(position, 0.0);  // rewound, also after a refused stop
        } else {
            EXPECT_GE(position, 1500.0);
        }
    }
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

TEST_F(Transport, StaleHandles) {
    const NerlaHandle stale = 4242;
    EXPECT_EQ(Nerla_ChannelPlay(stale), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    EXPECT_EQ(Nerla_ChannelPause(stale), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    EXPECT_EQ(Nerla_ChannelStop(stale), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    EXPECT_EQ(Nerla_ChannelGetState(stale), 0);
    EXPECT_EQ(Nerla_ChannelGetLength(stale, NERLA_UNIT_SECONDS), 0.0);
    EXPECT_EQ(Nerla_ChannelGetPosition(stale, NERLA_UNIT_SECONDS), 0.0);
    EXPECT_EQ(Nerla_ChannelSetPosition(stale, 1.0, NERLA_UNIT_SECONDS), 0);
    EXPECT_EQ(Nerla_ChannelSetPositionVB(stale, 1, 0, NERLA_UNIT_SECONDS), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    Nerla_Free();
    EXPECT_EQ(Nerla_ChannelPlay(stale), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_INIT);
    ASSERT_EQ(Nerla_Init(0, 0), 1);
}

TEST_F(Transport, LengthAndPositionInEveryUnit) {
    const NerlaHandle channel = open("sbs.mp4");  // 25 frames a second
    ASSERT_NE(channel, 0u);
    const double t = pipelineDuration(channel);
    ASSERT_GT(t, 30'000'000.0);
    // 1.9876543 s: accurate seeks land on it exactly.
    ASSERT_EQ(Nerla_ChannelSetPositionVB(channel, 19'876'543, 0, NERLA_UNIT_MEDIA_TIME), 1);
    struct Case {
        int32_t unit;
        double length;
        double position;
    };
    const Case cases[] = {
        {NERLA_UNIT_SECONDS, t / 10'000'000, 1.0},
        {NERLA_UNIT_FRAMES, t / 10'000 * 25 / 1000, 1987.6543 * 25 / 1000},
        {NERLA_UNIT_MILLISECONDS, t / 10'000, 1987.0},
        {NERLA_UNIT_MEDIA_TIME, t, 19'876'543.0},
        {7, t, 0.0},
        {-1, t, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        EXPECT_DOUBLE_EQ(Nerla_ChannelGetLength(channel, c.unit), c.length);
        EXPECT_DOUBLE_EQ(Nerla_ChannelGetPosition(channel, c.unit), c.position);
    }
    EXPECT_NE(std::trunc(Nerla_ChannelGetLength(channel, NERLA_UNIT_SECONDS)),
              Nerla_ChannelGetLength(channel, NERLA_UNIT_SECONDS));  // keeps its fraction
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

TEST_F(Transport, FramesNeedAVideoRendererAndDefaultTo25) {
    // No video: frames are refused, the other units work.
    const NerlaHandle audio = open("audio.wav");
    ASSERT_NE(audio, 0u);
    EXPECT_EQ(Nerla_ChannelGetLength(audio, NERLA_UNIT_FRAMES), 0.0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_POSITION);
    Nerla_ChannelPlay(audio);  // clears the code
    EXPECT_EQ(Nerla_ChannelGetPosition(audio, NERLA_UNIT_FRAMES), 0.0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_POSITION);
    Nerla_ChannelPause(audio);
    EXPECT_EQ(Nerla_ChannelSetPosition(audio, 10, NERLA_UNIT_FRAMES), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_POSITION);
    EXPECT_NEAR(Nerla_ChannelGetLength(audio, NERLA_UNIT_SECONDS), 3.0, 0.1);

    // A stream that states no rate (it has 10 frames a second) counts 25.
    const NerlaHandle noRate = open("no-rate.mkv");
    ASSERT_NE(noRate, 0u);
    NerlaChannelInfo info{};
    Nerla_ChannelGetInfo(noRate, &info);
    EXPECT_FLOAT_EQ(info.framesPerSecond, 25.0f);
    const double seconds = Nerla_ChannelGetLength(noRate, NERLA_UNIT_SECONDS);
    EXPECT_NEAR(seconds, 2.0, 0.15);
    EXPECT_DOUBLE_EQ(Nerla_ChannelGetLength(noRate, NERLA_UNIT_FRAMES), seconds * 25);
    ASSERT_EQ(Nerla_ChannelSetPosition(noRate, 25, NERLA_UNIT_FRAMES), 1);
    EXPECT_EQ(Nerla_ChannelGetPosition(noRate, NERLA_UNIT_MILLISECONDS), 1000.0);
    EXPECT_DOUBLE_EQ(Nerla_ChannelGetPosition(noRate, NERLA_UNIT_FRAMES), 25.0);
    Nerla_StreamFree(noRate);
    Nerla_StreamFree(audio);
}

TEST_F(Transport, SeeksInEveryStateLandWhereAsked) {
    struct Target {
        double value;  // for Nerla_ChannelSetPosition
        int32_t unit;
        double milliseconds;
    };
    const Target targets[] = {
        {1234.9, NERLA_UNIT_MILLISECONDS, 1234.0},  // truncated
        {1.9, NERLA_UNIT_SECONDS, 1000.0},
        {50.7, NERLA_UNIT_FRAMES, 2000.0},  // 50 frames at 25 a second
        {25'000'000.0, NERLA_UNIT_MEDIA_TIME, 2500.0},
        {-3.0, NERLA_UNIT_SECONDS, 0.0},  // before the start: the start
        {std::numeric_limits<double>::quiet_NaN(), NERLA_UNIT_SECONDS, 0.0},
    };
    const int32_t states[] = {NERLA_STATE_STOPPED, NERLA_STATE_PAUSED, NERLA_STATE_PLAYING};
    const NerlaHandle channel = open("sbs.mp4");
    ASSERT_NE(channel, 0u);
    for (const int32_t state : states) {
        for (const Target& target : targets) {
            SCOPED_TRACE(testing::Message() << "state " << state << " target " << target.value
                                            << " unit " << target.unit);
            enter(channel, state);
            ASSERT_EQ(Nerla_ChannelSetPosition(channel, target.value, target.unit), 1);
            const double position = Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS);
            EXPECT_EQ(Nerla_ChannelGetState(channel), state);  // a seek keeps the state
            if (state == NERLA_STATE_PLAYING) {
                // Read right after: at most the time the call took to return.
                EXPECT_GE(position, target.milliseconds);
                EXPECT_LT(position, target.milliseconds + 250.0);
                EXPECT_EQ(pipelineState(channel), GST_STATE_PLAYING);
            } else {
                EXPECT_EQ(position, target.milliseconds);
                EXPECT_EQ(pipelineState(channel), GST_STATE_PAUSED);
            }
        }
    }
    // The two halves of a 64-bit whole number: 2^32 + 5000 ms is past the end.
    enter(channel, NERLA_STATE_STOPPED);
    ASSERT_EQ(Nerla_ChannelSetPositionVB(channel, 2000, 0, NERLA_UNIT_MILLISECONDS), 1);
    EXPECT_EQ(Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS), 2000.0);
    Nerla_ChannelSetPositionVB(channel, 5000, 1, NERLA_UNIT_MILLISECONDS);
    EXPECT_GE(Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS), 3000.0);
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

// Sums the stream time of the buffers that reach a pad.
class FlowMeter {
  public:
    explicit FlowMeter(GstPad* pad) : pad_(GST_PAD(gst_object_ref(pad))) {
        probe_ =
            gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &FlowMeter::onBuffer, this, nullptr);
    }
    ~FlowMeter() {
        gst_pad_remove_probe(pad_, probe_);
        gst_object_unref(pad_);
    }
    double seconds() const { return static_cast<double>(nanos_.load()) / GST_SECOND; }

  private:
    static GstPadProbeReturn onBuffer(GstPad*, GstPadProbeInfo* info, gpointer self) {
        const GstClockTime duration = GST_BUFFER_DURATION(GST_PAD_PROBE_INFO_BUFFER(info));
        if (GST_CLOCK_TIME_IS_VALID(duration)) {
            static_cast<FlowMeter*>(self)->nanos_ += duration;
        }
        return GST_PAD_PROBE_OK;
    }

    GstPad* pad_;
    gulong probe_ = 0;
    std::atomic<guint64> nanos_{0};
};

// Seconds of the pipeline's clock since it started playing.
double runningTime(NerlaHandle channel) {
    auto* pipeline = static_cast<GstElement*>(Nerla_GetGraph(channel));
    GstClock* clock = gst_pipeline_get_clock(GST_PIPELINE(pipeline));
    const GstClockTime now = gst_clock_get_time(clock);
    gst_object_unref(clock);
    return static_cast<double>(now - gst_element_get_base_time(pipeline)) / GST_SECOND;
}

TEST_F(Transport, RateIsASeekThatAudioFollows) {
    const NerlaHandle channel = open("sbs.mp4");
    ASSERT_NE(channel, 0u);
    nerla::IDirectShow* target = nerla::ChannelList::instance().find(channel);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetRate(), 1.0);
    // Refused rates change nothing, yet the call reports success.
    for (const double refused : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(target->SetRate(refused), 1);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
        EXPECT_EQ(target->GetRate(), 1.0);
    }
    ASSERT_EQ(target->SetRate(2.0), 1);
    EXPECT_EQ(target->GetRate(), 2.0);
    // A seek keeps the rate.
    ASSERT_EQ(Nerla_ChannelSetPosition(channel, 0, NERLA_UNIT_MILLISECONDS), 1);
    EXPECT_EQ(target->GetRate(), 2.0);

    // Play to the end; the pipeline's clock tells how long that took.
    FlowMeter audio(target->audioRenderer()->sinkPad());
    double endRunningTime = 0.0;
    double endPosition = 0.0;
    playback::SyncLog::instance().onCall([&](const playback::SyncCall& call) {
        endRunningTime = runningTime(call.channel);
        endPosition = call.position / 10'000'000;
    });
    Nerla_ChannelSetCallbackSync(channel, &playback::SyncLog::first);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    ASSERT_TRUE(playback::pumpUntil([&] { return endRunningTime > 0.0; }));
    playback::SyncLog::instance().onCall(nullptr);
    EXPECT_NEAR(endPosition / endRunningTime, 2.0, 0.2);
    // Audio is not dropped: all of it reached the audio renderer, at twice the pace.
    EXPECT_NEAR(audio.seconds(), 3.0, 0.1);
    EXPECT_NEAR(audio.seconds() / endRunningTime, 2.0, 0.2);
    EXPECT_EQ(target->GetRate(), 2.0);
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

TEST_F(Transport, InformationRecord) {
    struct Case {
        const char* file;
        int32_t result;
        NerlaChannelInfo info;
        int32_t error;
    };
    const Case cases[] = {
        // AAC decodes to float; the WAV file is 16-bit.
        {"sbs.mp4", 1, {25.0f, 240, 640, 2, 44100, 32, 1}, NERLA_OK},
        {"tb.mkv", 1, {25.0f, 480, 320, 2, 44100, 32, 1}, NERLA_OK},
        {"audio.wav", 0, {0.0f, 0, 0, 2, 44100, 16, 0}, NERLA_OK},
        {"video-only.mp4", 0, {25.0f, 240, 320, 0, 0, 0, 0}, NERLA_ERROR_NOAUDIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const NerlaHandle channel = open(c.file);
        ASSERT_NE(channel, 0u);
        NerlaChannelInfo info;
        std::memset(&info, 0x5A, sizeof info);
        EXPECT_EQ(Nerla_ChannelGetInfo(channel, &info), c.result);
        EXPECT_EQ(Nerla_ErrorGetCode(), c.error);
        EXPECT_FLOAT_EQ(info.framesPerSecond, c.info.framesPerSecond);
        EXPECT_EQ(info.videoHeight, c.info.videoHeight);
        EXPECT_EQ(info.videoWidth, c.info.videoWidth);
        EXPECT_EQ(info.audioChannels, c.info.audioChannels);
        EXPECT_EQ(info.audioSampleRate, c.info.audioSampleRate);
        EXPECT_EQ(info.audioBitsPerSample, c.info.audioBitsPerSample);
        EXPECT_EQ(info.audioFloat, c.info.audioFloat);
        EXPECT_EQ(Nerla_ChannelGetInfo(channel, nullptr), 0);
        Nerla_StreamFree(channel);
        // A stale handle still zeroes the record.
        std::memset(&info, 0x5A, sizeof info);
        EXPECT_EQ(Nerla_ChannelGetInfo(channel, &info), 0);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
        EXPECT_EQ(info.videoWidth, 0);
        EXPECT_EQ(info.audioSampleRate, 0);
        EXPECT_EQ(info.audioFloat, 0);
    }
}

}  // namespace
