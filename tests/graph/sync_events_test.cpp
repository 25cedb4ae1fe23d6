// Graph events as sync callbacks: end of stream with and without loop,
// completed pause, native size change, repaint, a lost output device; the
// callback's registration; freeing and seeking while an end is on its way.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "graph/graph_events.h"
#include "nerla.h"
#include "playback.h"

namespace {

using playback::fixture;
using playback::pumpFor;
using playback::pumpUntil;
using playback::SyncCall;
using playback::SyncLog;
using std::chrono::milliseconds;

class SyncEvents : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(Nerla_Init(0, 0), 1);
        log().clear();
        log().onCall(nullptr);
    }
    void TearDown() override {
        log().onCall(nullptr);
        Nerla_Free();
    }

    static SyncLog& log() { return SyncLog::instance(); }

    NerlaHandle open(const char* name, uint32_t flags = 0) {
        const NerlaHandle channel = Nerla_StreamCreateFile(fixture(name).c_str(), 0, 0, flags);
        EXPECT_NE(channel, 0u) << name << ": error " << Nerla_ErrorGetCode();
        return channel;
    }
};

double positionMs(NerlaHandle channel) {
    return Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS);
}

// Waits, without dispatching graph events, until the pipeline has played to
// its end and posted it.
void playToTheEndUnseen(NerlaHandle channel) {
    const double length = Nerla_ChannelGetLength(channel, NERLA_UNIT_MILLISECONDS);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (positionMs(channel) < length - 1.0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(10));
    }
    ASSERT_GE(positionMs(channel), length - 1.0);
    std::this_thread::sleep_for(milliseconds(500));
}

TEST_F(SyncEvents, EndOfStreamWithAndWithoutLoop) {
    struct Case {
        uint32_t flags;
        int32_t state;
        bool rewound;
    };
    const Case cases[] = {
        {0, NERLA_STATE_STOPPED, false},
        {NERLA_FLAG_LOOP, NERLA_STATE_PLAYING, true},
        {NERLA_FLAG_LOOP | NERLA_FLAG_SIDE_BY_SIDE, NERLA_STATE_PLAYING, true},
        {NERLA_FLAG_LOOP & ~0x100u, NERLA_STATE_STOPPED, false},  // a pattern needs all its bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.flags);
        log().clear();
        const NerlaHandle channel = open("sbs.mp4", c.flags);
        ASSERT_NE(channel, 0u);
        ASSERT_EQ(Nerla_ChannelSetCallbackSync(channel, &SyncLog::first), 1);
        ASSERT_EQ(Nerla_ChannelSetPosition(channel, 2500, NERLA_UNIT_MILLISECONDS), 1);
        ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
        ASSERT_TRUE(pumpUntil([] { return log().count(NERLA_SYNC_END) > 0; }));
        pumpFor(milliseconds(200));
        ASSERT_EQ(log().calls().size(), 1u);
        const SyncCall end = log().calls()[0];
        EXPECT_EQ(end.receiver, 1);
        EXPECT_EQ(end.channel, channel);
        EXPECT_EQ(end.data1, 0u);
        EXPECT_EQ(end.data2, 0u);
        EXPECT_EQ(end.position, Nerla_ChannelGetLength(channel, NERLA_UNIT_MEDIA_TIME));
        EXPECT_EQ(Nerla_ChannelGetState(channel), c.state);
        const double after = positionMs(channel);
        if (c.rewound) {
            EXPECT_LT(after, 1000.0);  // playing again from the start
            ASSERT_TRUE(pumpUntil([&] { return positionMs(channel) > after; }));
        } else {
            EXPECT_GE(after, 3000.0);  // a normal end is not rewound
        }
        EXPECT_EQ(Nerla_StreamFree(channel), 1);
    }
}

TEST_F(SyncEvents, RegistrationResults) {
    const NerlaHandle channel = open("audio.wav");
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(Nerla_ChannelRemCallbackSync(channel), 0);  // none set yet
    EXPECT_EQ(Nerla_ChannelSetCallbackSync(channel, &SyncLog::first), 1);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    EXPECT_EQ(Nerla_ChannelRemCallbackSync(channel), 1);
    EXPECT_EQ(Nerla_ChannelRemCallbackSync(channel), 0);  // removed twice
    Nerla_ChannelPlay(4242);
    EXPECT_EQ(Nerla_ChannelSetCallbackSync(channel, nullptr), 1);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    EXPECT_EQ(Nerla_ChannelRemCallbackSync(channel), 0);  // null is none
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
    EXPECT_EQ(Nerla_ChannelSetCallbackSync(channel, &SyncLog::first), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    EXPECT_EQ(Nerla_ChannelRemCallbackSync(channel), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
}

TEST_F(SyncEvents, TheCallbackSetAtTheEventIsTheOneCalled) {
    enum class Step { First, Second, Null, Remove };
    struct Case {
        std::vector<Step> steps;
        int receiver;  // 0: nobody
    };
    const Case cases[] = {
        {{Step::First, Step::Second}, 2},  {{Step::Second, Step::First}, 1},
        {{Step::First, Step::Null}, 0},    {{Step::First, Step::Remove}, 0},
        {{Step::Remove, Step::Second}, 2},
    };
    const NerlaHandle channel = open("video-only.mp4");
    ASSERT_NE(channel, 0u);
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(row++);
        log().clear();
        Nerla_ChannelStop(channel);
        ASSERT_EQ(Nerla_ChannelSetPosition(channel, 2700, NERLA_UNIT_MILLISECONDS), 1);
        for (const Step step : c.steps) {
            switch (step) {
                case Step::First:
                    Nerla_ChannelSetCallbackSync(channel, &SyncLog::first);
                    break;
                case Step::Second:
                    Nerla_ChannelSetCallbackSync(channel, &SyncLog::second);
                    break;
                case Step::Null:
                    Nerla_ChannelSetCallbackSync(channel, nullptr);
                    break;
                case Step::Remove:
                    Nerla_ChannelRemCallbackSync(channel);
                    break;
            }
        }
        ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
        // Without a callback the stop at the end still shows.
        ASSERT_TRUE(
            pumpUntil([&] { return Nerla_ChannelGetState(channel) == NERLA_STATE_STOPPED; }));
        const std::vector<SyncCall> calls = log().calls();
        if (c.receiver == 0) {
            EXPECT_TRUE(calls.empty());
        } else {
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0].receiver, c.receiver);
            EXPECT_EQ(calls[0].type, static_cast<uint32_t>(NERLA_SYNC_END));
        }
    }
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

TEST_F(SyncEvents, CompletedPausesOnly) {
    const NerlaHandle channel = open("sbs.mp4");
    ASSERT_NE(channel, 0u);
    Nerla_ChannelSetCallbackSync(channel, &SyncLog::first);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    pumpFor(milliseconds(200));
    ASSERT_EQ(Nerla_ChannelPause(channel), 1);
    ASSERT_TRUE(pumpUntil([] { return log().count(NERLA_SYNC_PAUSED) == 1; }));
    // Seeking while paused, stopping and playing are no pauses.
    Nerla_ChannelSetPosition(channel, 500, NERLA_UNIT_MILLISECONDS);
    Nerla_ChannelPlay(channel);
    pumpFor(milliseconds(100));
    Nerla_ChannelStop(channel);
    Nerla_ChannelPlay(channel);
    pumpFor(milliseconds(300));
    EXPECT_EQ(log().count(NERLA_SYNC_PAUSED), 1u);
    ASSERT_EQ(Nerla_ChannelPause(channel), 1);
    ASSERT_TRUE(pumpUntil([] { return log().count(NERLA_SYNC_PAUSED) == 2; }));
    for (const SyncCall& call : log().calls()) {
        EXPECT_EQ(call, (SyncCall{1, channel, NERLA_SYNC_PAUSED, 0, 0, call.position}));
    }
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

TEST_F(SyncEvents, NativeSizeChange) {
    // 320x240 for a second, then 160x120.
    const NerlaHandle channel = open("size-change.ts");
    ASSERT_NE(channel, 0u);
    NerlaChannelInfo info{};
    Nerla_ChannelGetInfo(channel, &info);
    EXPECT_EQ(info.videoWidth, 320);
    Nerla_ChannelSetCallbackSync(channel, &SyncLog::first);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    ASSERT_TRUE(pumpUntil([] { return log().count(NERLA_SYNC_END) == 1; }));
    const std::vector<SyncCall> calls = log().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].type, static_cast<uint32_t>(NERLA_SYNC_SIZE_CHANGED));
    EXPECT_EQ(calls[0].data1, 160u | (120u << 16));
    EXPECT_EQ(calls[0].data2, 0u);
    EXPECT_EQ(calls[1].type, static_cast<uint32_t>(NERLA_SYNC_END));
    Nerla_ChannelGetInfo(channel, &info);
    EXPECT_EQ(info.videoWidth, 160);
    EXPECT_EQ(info.videoHeight, 120);
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

TEST_F(SyncEvents, RepaintRequestFromTheVideoRenderer) {
    // The graph's own sink, "Video Renderer", on every machine.
    Nerla_SetConfig(NERLA_CONFIG_VIDEO_RENDERER, 7);
    const NerlaHandle channel = open("sbs.mp4");
    Nerla_SetConfig(NERLA_CONFIG_VIDEO_RENDERER, 1);
    ASSERT_NE(channel, 0u);
    Nerla_ChannelSetCallbackSync(channel, &SyncLog::first);
    auto* pipeline = static_cast<GstBin*>(Nerla_GetGraph(channel));
    GstElement* renderer = gst_bin_get_by_name(pipeline, "Video Renderer");
    ASSERT_NE(renderer, nullptr);
    gst_element_post_message(renderer, nerla::newRepaintMessage(GST_OBJECT(renderer)));
    gst_object_unref(renderer);
    ASSERT_TRUE(pumpUntil([] { return !log().calls().empty(); }));
    EXPECT_EQ(log().calls()[0], (SyncCall{1, channel, NERLA_SYNC_REPAINT, 0, 0, 0.0}));
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

TEST_F(SyncEvents, FreedWhileTheEndIsQueued) {
    const NerlaHandle channel = open("sbs.mp4", NERLA_FLAG_LOOP);
    ASSERT_NE(channel, 0u);
    Nerla_ChannelSetCallbackSync(channel, &SyncLog::first);
    ASSERT_EQ(Nerla_ChannelSetPosition(channel, 2600, NERLA_UNIT_MILLISECONDS), 1);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    playToTheEndUnseen(channel);
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_PLAYING);
    ASSERT_EQ(Nerla_StreamFree(channel), 1);
    pumpFor(milliseconds(300));  // the queued end must not reach the freed channel
    EXPECT_TRUE(log().calls().empty());
}

TEST_F(SyncEvents, FreedFromInsideTheEndCallback) {
    const NerlaHandle channel = open("sbs.mp4", NERLA_FLAG_LOOP);
    ASSERT_NE(channel, 0u);
    log().onCall([](const SyncCall& call) { Nerla_StreamFree(call.channel); });
    Nerla_ChannelSetCallbackSync(channel, &SyncLog::first);
    ASSERT_EQ(Nerla_ChannelSetPosition(channel, 2700, NERLA_UNIT_MILLISECONDS), 1);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    ASSERT_TRUE(pumpUntil([] { return !log().calls().empty(); }));
    pumpFor(milliseconds(200));
    EXPECT_EQ(log().calls().size(), 1u);
    EXPECT_EQ(Nerla_ChannelGetState(channel), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
}

// Replaying after an end uses a clip without sound: the test session's sound
// server now and then keeps a sink's clock stopped after an end of stream.
TEST_F(SyncEvents, SeekWhileTheEndIsQueued) {
    const NerlaHandle channel = open("video-only.mp4");
    ASSERT_NE(channel, 0u);
    Nerla_ChannelSetCallbackSync(channel, &SyncLog::first);
    ASSERT_EQ(Nerla_ChannelSetPosition(channel, 2600, NERLA_UNIT_MILLISECONDS), 1);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    playToTheEndUnseen(channel);
    // The host seeks back before its loop has seen the end: that end is gone.
    ASSERT_EQ(Nerla_ChannelSetPosition(channel, 1000, NERLA_UNIT_MILLISECONDS), 1);
    pumpFor(milliseconds(300));
    EXPECT_TRUE(log().calls().empty());
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_PLAYING);
    EXPECT_GE(positionMs(channel), 1000.0);
    EXPECT_LT(positionMs(channel), 2600.0);
    // The next end is real.
    ASSERT_TRUE(pumpUntil([] { return log().count(NERLA_SYNC_END) == 1; }));
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_STOPPED);
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

TEST_F(SyncEvents, LostOutputDevice) {
    const NerlaHandle channel = open("sbs.mp4");
    ASSERT_NE(channel, 0u);
    Nerla_ChannelSetCallbackSync(channel, &SyncLog::first);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    ASSERT_TRUE(pumpUntil([&] { return positionMs(channel) > 200.0; }));
    // The session's sound server loses every output (a stream whose sink
    // goes while another remains moves there), then gets them back.
    ASSERT_EQ(std::system("pactl unload-module module-null-sink"), 0);
    std::system(
        "pactl load-module module-null-sink sink_name=nerla_sink_a >/dev/null && "
        "pactl load-module module-null-sink sink_name=nerla_sink_b >/dev/null && "
        "pactl set-default-sink nerla_sink_a");
    ASSERT_TRUE(pumpUntil([] { return !log().calls().empty(); }));
    pumpFor(milliseconds(200));
    ASSERT_EQ(log().calls().size(), 1u);
    EXPECT_EQ(log().calls()[0].type, static_cast<uint32_t>(NERLA_SYNC_PAUSED));
    EXPECT_EQ(log().calls()[0].data1, 0u);
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_PLAYING);  // the host decides
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

}  // namespace
