// A Blu-ray playlist through the engine: the splitter plug-in loaded with
// Nerla_LoadPlugin builds the channel, which plays both clips to the end as
// one medium.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "graph/playback.h"
#include "nerla.h"
#include "plugins/bluray_fixture.h"

namespace {

using fixture::kTicksPerFrame;

int gEnds = 0;
void NERLA_CALL onSync(NerlaHandle, uint32_t type, uintptr_t, uintptr_t) {
    gEnds += type == 1 ? 1 : 0;
}

TEST(BlurayChannel, PlaysBothClipsAsOneMedium) {
    ASSERT_EQ(Nerla_Init(0, 0), 1);
    fixture::TempDir dir;
    const std::filesystem::path streams = dir.path() / "BDMV" / "STREAM";
    const std::filesystem::path playlists = dir.path() / "BDMV" / "PLAYLIST";
    std::filesystem::create_directories(streams);
    std::filesystem::create_directories(playlists);
    ASSERT_TRUE(fixture::makeClip(streams / "00001.m2ts", 25, 0xffc02020, 0));
    ASSERT_TRUE(fixture::makeClip(streams / "00002.m2ts", 25, 0xff2020c0, 0));
    const uint32_t in1 = static_cast<uint32_t>(fixture::firstVideoPts(streams / "00001.m2ts") / 2);
    const uint32_t in2 = static_cast<uint32_t>(fixture::firstVideoPts(streams / "00002.m2ts") / 2);
    const std::filesystem::path playlist = playlists / "00000.mpls";
    fixture::writeFile(playlist, fixture::mplsBytes({{"00001", in1, in1 + 25 * kTicksPerFrame},
                                                     {"00002", in2, in2 + 25 * kTicksPerFrame}}));

    EXPECT_NE(Nerla_LoadPlugin(QUARNEX_PATH, 0), 0u);
    const NerlaHandle channel = Nerla_StreamCreateFile(playlist.c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u) << Nerla_ErrorGetCode();
    EXPECT_NEAR(Nerla_ChannelGetLength(channel, NERLA_UNIT_SECONDS), 2.0, 0.05);

    Nerla_ChannelSetCallbackSync(channel, &onSync);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    double furthest = 0;
    EXPECT_TRUE(playback::pumpUntil(
        [&] {
            furthest =
                std::max(furthest, Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS));
            return gEnds > 0;
        },
        std::chrono::seconds(30)));
    EXPECT_GT(furthest, 1500);  // well into the second clip before the end
    EXPECT_EQ(gEnds, 1);
    Nerla_StreamFree(channel);
    Nerla_Free();
}

}  // namespace
