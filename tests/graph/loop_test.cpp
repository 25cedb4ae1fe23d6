// A looping channel played through twenty ends in a row: every end is
// reported, at the same position, and playback goes on from the start. The
// clip has no sound, so the run rests on the loop alone: under load the
// desktop audio sink has been seen to keep its clock stopped after a restart.
#include <gtest/gtest.h>

#include <vector>

#include "nerla.h"
#include "playback.h"

namespace {

using playback::SyncCall;
using playback::SyncLog;

TEST(Loop, TwentyEndsInARow) {
    ASSERT_EQ(Nerla_Init(0, 0), 1);
    const NerlaHandle channel =
        Nerla_StreamCreateFile(playback::fixture("short.mp4").c_str(), 0, 0, NERLA_FLAG_LOOP);
    ASSERT_NE(channel, 0u);
    const double length = Nerla_ChannelGetLength(channel, NERLA_UNIT_MEDIA_TIME);
    ASSERT_NEAR(length, 20'000'000.0, 100'000.0);  // 2 seconds
    Nerla_ChannelSetCallbackSync(channel, &SyncLog::first);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);

    constexpr size_t kEnds = 20;
    std::vector<double> restarts;  // position seen first after each end
    while (SyncLog::instance().count(NERLA_SYNC_END) < kEnds) {
        const size_t ends = SyncLog::instance().count(NERLA_SYNC_END);
        ASSERT_TRUE(
            playback::pumpUntil([&] { return SyncLog::instance().count(NERLA_SYNC_END) > ends; },
                                std::chrono::seconds(15)))
            << "after " << ends << " ends";
        ASSERT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_PLAYING);
        restarts.push_back(Nerla_ChannelGetPosition(channel, NERLA_UNIT_MEDIA_TIME));
    }
    const std::vector<SyncCall> calls = SyncLog::instance().calls();
    ASSERT_EQ(calls.size(), kEnds);
    for (size_t i = 0; i < kEnds; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(calls[i], (SyncCall{1, channel, NERLA_SYNC_END, 0, 0, length}));
        EXPECT_LT(restarts[i], 5'000'000.0);  // back near the start, not drifting
    }
    // Still playing on, from the start.
    const double now = Nerla_ChannelGetPosition(channel, NERLA_UNIT_MEDIA_TIME);
    ASSERT_TRUE(playback::pumpUntil(
        [&] { return Nerla_ChannelGetPosition(channel, NERLA_UNIT_MEDIA_TIME) > now; }));
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_PLAYING);
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
    Nerla_Free();
}

}  // namespace
