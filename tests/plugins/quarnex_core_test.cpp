// The splitter's file readers and its timeline, without GStreamer: playlist
// parsing, where a clip's timestamps start, the Blu-ray folder layout.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "plugins/bluray_fixture.h"
#include "quarnex/bluray_folder.h"
#include "quarnex/clip_probe.h"
#include "quarnex/mpls_reader.h"
#include "quarnex/playlist_plan.h"
#include "quarnex/playlist_timeline.h"

namespace {

namespace fs = std::filesystem;
using fixture::MplsItem;
using quarnex::parseMpls;

constexpr uint64_t kSecond = 1000000000;

const std::vector<MplsItem> kTwoItems = {{"00001", 1000, 91000}, {"00042", 45000, 135000}};

TEST(MplsReader, ReadsEveryPlayItem) {
    const auto playlist = parseMpls(fixture::mplsBytes(kTwoItems));
    ASSERT_TRUE(playlist);
    ASSERT_EQ(playlist->items.size(), 2u);
    EXPECT_EQ(playlist->items[0].clip, "00001");
    EXPECT_EQ(playlist->items[0].inTime, 1000u);
    EXPECT_EQ(playlist->items[0].outTime, 91000u);
    EXPECT_EQ(playlist->items[1].clip, "00042");
    EXPECT_EQ(playlist->items[1].inTime, 45000u);
    EXPECT_EQ(playlist->items[1].outTime, 135000u);
}

TEST(MplsReader, RejectsEveryTruncation) {
    const auto bytes = fixture::mplsBytes(kTwoItems);
    // the PlayList block ends 6 bytes before the file (the mark block follows)
    const size_t needed = bytes.size() - 6;
    for (size_t size = 0; size < needed; ++size) {
        EXPECT_FALSE(parseMpls({bytes.data(), size})) << size << " bytes";
    }
}

TEST(MplsReader, RejectsMalformedFiles) {
    const auto good = fixture::mplsBytes(kTwoItems);
    const size_t list = (size_t{good[8]} << 24) | (good[9] << 16) | (good[10] << 8) | good[11];
    const size_t firstItem = list + 10;
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"magic",
         [&] {
             auto b = good;
             b[0] = 'X';
             return b;
         }()},
        {"version",
         [&] {
             auto b = good;
             b[6] = 'x';
             return b;
         }()},
        {"playlist address past the end",
         [&] {
             auto b = good;
             b[8] = 0x7F;
             return b;
         }()},
        {"playlist address inside the header",
         [&] {
             auto b = good;
             b[8] = b[9] = b[10] = 0;
             b[11] = 8;
             return b;
         }()},
        {"no play items", fixture::mplsBytes({})},
        {"OUT before IN", fixture::mplsBytes({{"00001", 5000, 4000}})},
        {"empty item", fixture::mplsBytes({{"00001", 5000, 5000}})},
        {"codec", fixture::mplsBytes({{"00001", 0, 90000, "MPEG"}})},
        {"clip name", fixture::mplsBytes({{"../01", 0, 90000}})},
        {"item shorter than its times",
         [&] {
             auto b = good;
             b[firstItem] = 0;
             b[firstItem + 1] = 12;
             return b;
         }()},
        {"item count beyond the block",
         [&] {
             auto b = good;
             b[list + 7] = 9;
             return b;
         }()},
    };
    for (const auto& test : cases) {
        EXPECT_FALSE(parseMpls(test.bytes)) << test.what;
    }
}

// One transport packet of `pid` starting a PES packet with `pts` (and `dts`).
std::vector<uint8_t> pesPacket(unsigned pid, uint64_t pts, uint64_t dts = 0, bool withDts = false) {
    std::vector<uint8_t> p(188, 0xFF);
    p[0] = 0x47;
    p[1] = static_cast<uint8_t>(0x40 | (pid >> 8));
    p[2] = static_cast<uint8_t>(pid);
    p[3] = 0x10;
    const uint8_t header[] = {0,
                              0,
                              1,
                              0xE0,
                              0,
                              0,
                              0x80,
                              static_cast<uint8_t>(withDts ? 0xC0 : 0x80),
                              static_cast<uint8_t>(withDts ? 10 : 5)};
    std::memcpy(&p[4], header, sizeof header);
    auto put = [&](size_t at, uint64_t t, uint8_t marker) {
        p[at] = static_cast<uint8_t>(marker | ((t >> 29) & 0x0E) | 1);
        p[at + 1] = static_cast<uint8_t>(t >> 22);
        p[at + 2] = static_cast<uint8_t>(((t >> 14) & 0xFE) | 1);
        p[at + 3] = static_cast<uint8_t>(t >> 7);
        p[at + 4] = static_cast<uint8_t>(((t << 1) & 0xFE) | 1);
    };
    put(13, pts, withDts ? 0x30 : 0x20);
    if (withDts) {
        put(18, dts, 0x10);
    }
    return p;
}

// The packets and two null packets after them, as 188- or 192-byte packets.
std::vector<uint8_t> stream(std::vector<std::vector<uint8_t>> packets, bool bluray) {
    std::vector<uint8_t> null(188, 0xFF);
    null[0] = 0x47;
    null[1] = 0x1F;
    null[3] = 0x10;
    packets.insert(packets.end(), 2, null);
    std::vector<uint8_t> out;
    for (const auto& packet : packets) {
        if (bluray) {
            out.insert(out.end(), 4, 0);  // TP_extra_header
        }
        out.insert(out.end(), packet.begin(), packet.end());
    }
    return out;
}

TEST(ClipProbe, FindsTheEarliestFirstPresentationTime) {
    constexpr uint64_t kWrap = uint64_t{1} << 33;
    const struct {
        const char* what;
        std::vector<std::vector<uint8_t>> packets;
        uint64_t first;
    } cases[] = {
        {"two streams", {pesPacket(0x1011, 900000), pesPacket(0x1100, 899000)}, 899000},
        {"later packets of a stream do not count",
         {pesPacket(0x1011, 900000), pesPacket(0x1011, 100), pesPacket(0x1100, 901000)},
         900000},
        {"the PTS, not the DTS", {pesPacket(0x1011, 903600, 900000, true)}, 903600},
        {"across the wrap",
         {pesPacket(0x1011, 500), pesPacket(0x1100, kWrap - 1000)},
         kWrap - 1000},
    };
    for (const auto& test : cases) {
        for (const bool bluray : {false, true}) {
            const auto first = quarnex::firstTimestamp(stream(test.packets, bluray));
            ASSERT_TRUE(first) << test.what;
            EXPECT_EQ(*first, test.first) << test.what << (bluray ? " (192)" : " (188)");
        }
    }
    EXPECT_FALSE(quarnex::firstTimestamp(std::vector<uint8_t>(4096, 0x47)));
    EXPECT_FALSE(quarnex::firstTimestamp(std::vector<uint8_t>(100, 0)));
}

TEST(ClipProbe, MeasuresDistancesAcrossTheWrap) {
    constexpr uint64_t kWrap = uint64_t{1} << 33;
    EXPECT_EQ(quarnex::timestampDistance(1000, 400), 600);
    EXPECT_EQ(quarnex::timestampDistance(400, 1000), -600);
    EXPECT_EQ(quarnex::timestampDistance(100, kWrap - 100), 200);
    EXPECT_EQ(quarnex::timestampDistance(kWrap - 100, 100), -200);
}

TEST(PlaylistTimeline, LocatesTimesInTheItems) {
    quarnex::PlaylistTimeline timeline;
    timeline.append("a", 0, 2 * kSecond);
    timeline.append("b", 0, 3 * kSecond);
    timeline.append("c", 0, 1 * kSecond);
    EXPECT_EQ(timeline.total(), 6 * kSecond);
    EXPECT_EQ(timeline.item(2).start, 5 * kSecond);
    const struct {
        uint64_t time;
        size_t item;
        uint64_t offset;
    } cases[] = {
        {0, 0, 0},
        {2 * kSecond - 1, 0, 2 * kSecond - 1},
        {2 * kSecond, 1, 0},
        {4500000000, 1, 2500000000},
        {6 * kSecond, 2, kSecond},  // the end
        {60 * kSecond, 2, kSecond},
    };
    for (const auto& test : cases) {
        const auto [item, offset] = timeline.locate(test.time);
        EXPECT_EQ(item, test.item) << test.time;
        EXPECT_EQ(offset, test.offset) << test.time;
    }
}

class FolderTest : public ::testing::Test {
  protected:
    fs::path touch(const fs::path& relative, const std::vector<uint8_t>& bytes = {}) {
        const fs::path path = dir_.path() / relative;
        fixture::writeFile(path, bytes);
        return path;
    }
    fixture::TempDir dir_;
};

TEST_F(FolderTest, KnowsThePlaylistPlaceAndFindsClipsInAnyCase) {
    const struct {
        const char* path;
        bool playlist;
    } paths[] = {
        {"disc/BDMV/PLAYLIST/00000.mpls", true}, {"disc/bdmv/playlist/00000.MPLS", true},
        {"BDMV/PLAYLIST/00001.mpls", true},      {"disc/BDMV/00000.mpls", false},
        {"disc/PLAYLIST/00000.mpls", false},     {"disc/BDMV/PLAYLIST/00000.m2ts", false},
        {"disc/BDMV/PLAYLIST/.mpls", false},     {"", false},
    };
    for (const auto& test : paths) {
        EXPECT_EQ(quarnex::BlurayFolder::fromPlaylist(test.path).has_value(), test.playlist)
            << test.path;
    }

    touch("disc/bdmv/stream/00001.M2TS");
    fs::create_directories(dir_.path() / "disc/bdmv/stream/00002.m2ts");  // not a file
    const auto folder =
        quarnex::BlurayFolder::fromPlaylist((dir_.path() / "disc/bdmv/playlist/x.mpls").string());
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->clipPath("00001"), dir_.path() / "disc/bdmv/stream/00001.M2TS");
    EXPECT_TRUE(folder->clipPath("00002").empty());
    EXPECT_TRUE(folder->clipPath("00003").empty());
}

TEST_F(FolderTest, PlansItemsFromTheirClipsFirstTimestamps) {
    // the clip starts at 10 s (90 kHz); the item begins 1.5 s into it
    constexpr uint64_t kStart = 900000;
    touch("BDMV/STREAM/00007.m2ts", stream({pesPacket(0x1011, kStart)}, true));
    const fs::path list =
        touch("BDMV/PLAYLIST/00000.mpls",
              fixture::mplsBytes({{"00007", kStart / 2 + 67500, kStart / 2 + 157500},
                                  {"00007", kStart / 2, kStart / 2 + 45000}}));
    const auto timeline = quarnex::planPlaylist(list.string(), true);
    ASSERT_TRUE(timeline);
    ASSERT_EQ(timeline->size(), 2u);
    EXPECT_EQ(timeline->item(0).inOffset, 1500000000u);
    EXPECT_EQ(timeline->item(0).duration, 2 * kSecond);
    EXPECT_EQ(timeline->item(1).inOffset, 0u);
    EXPECT_EQ(timeline->item(1).start, 2 * kSecond);
    EXPECT_EQ(timeline->total(), 3 * kSecond);
    // without probing the offsets are left at 0
    EXPECT_EQ(quarnex::planPlaylist(list.string(), false)->item(0).inOffset, 0u);

    const fs::path missing =
        touch("BDMV/PLAYLIST/00001.mpls", fixture::mplsBytes({{"00008", 0, 45000}}));
    EXPECT_FALSE(quarnex::planPlaylist(missing.string(), true));
}

}  // namespace
