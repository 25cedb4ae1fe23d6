// The history ring's wrap rule.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "audio/history_ring.h"

namespace {

using nerla::HistoryRing;
using nerla::WaveFormat;

WaveFormat tinyFormat(uint32_t bytesPerSecond) {
    WaveFormat f;
    f.formatTag = WaveFormat::kPcm;
    f.channels = 1;
    f.bitsPerSample = 8;
    f.blockAlign = 1;
    f.samplesPerSec = bytesPerSecond;
    f.avgBytesPerSec = bytesPerSecond;
    return f;
}

std::vector<uint8_t> block(uint8_t first, size_t n) {
    std::vector<uint8_t> b(n);
    std::iota(b.begin(), b.end(), first);
    return b;
}

TEST(HistoryRing, WritesWrapAtTheEnd) {
    HistoryRing ring(tinyFormat(10));
    EXPECT_EQ(ring.bytes().size(), 10u);
    EXPECT_EQ(ring.frames(), 10);

    ring.write(block(1, 6).data(), 6, 111);
    EXPECT_EQ(ring.writePosition(), 6u);
    EXPECT_EQ(ring.lastBlockStart(), 111);

    // 6 + 7 passes the end by 3: four bytes at the end, three at the start.
    ring.write(block(21, 7).data(), 7, 222);
    EXPECT_EQ(ring.writePosition(), 3u);
    EXPECT_EQ(ring.bytes(), (std::vector<uint8_t>{25, 26, 27, 4, 5, 6, 21, 22, 23, 24}));
    EXPECT_EQ(ring.lastBlockStart(), 222);

    // Exactly to the end.
    ring.write(block(31, 7).data(), 7, 333);
    EXPECT_EQ(ring.writePosition(), 10u);

    // A block longer than the ring: the rest after the wrap is cut to the ring size.
    const auto big = block(41, 25);
    ring.write(big.data(), big.size(), 444);
    EXPECT_EQ(ring.writePosition(), 10u);
    EXPECT_EQ(ring.bytes(), block(41, 10));
}

}  // namespace
