// Length and position units and the whole numbers SetPosition takes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "graph/media_units.h"
#include "nerla.h"

namespace {

using nerla::lengthInUnit;
using nerla::mediaTimeFromUnit;
using nerla::positionInUnit;

constexpr int64_t k83_9s = 839'000'000;  // 83.9 s in media time

TEST(PlayUnits, PositionTruncatesLengthKeepsTheFraction) {
    struct Case {
        int32_t unit;
        double fps;
        double position;
        double length;
    };
    const Case cases[] = {
        {NERLA_UNIT_SECONDS, 25.0, 83.0, 83.9},
        {NERLA_UNIT_MILLISECONDS, 25.0, 83'900.0, 83'900.0},
        {NERLA_UNIT_FRAMES, 25.0, 2097.5, 2097.5},
        {NERLA_UNIT_FRAMES, 10.0, 839.0, 839.0},
        {NERLA_UNIT_MEDIA_TIME, 25.0, 839'000'000.0, 839'000'000.0},
        {7, 25.0, 0.0, 839'000'000.0},
        {-1, 25.0, 0.0, 839'000'000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        EXPECT_DOUBLE_EQ(positionInUnit(k83_9s, c.unit, c.fps), c.position);
        EXPECT_DOUBLE_EQ(lengthInUnit(k83_9s, c.unit, c.fps), c.length);
    }
    // Just below a whole second and millisecond.
    EXPECT_DOUBLE_EQ(positionInUnit(9'999'999, NERLA_UNIT_SECONDS, 25.0), 0.0);
    EXPECT_DOUBLE_EQ(positionInUnit(9'999, NERLA_UNIT_MILLISECONDS, 25.0), 0.0);
}

TEST(PlayUnits, WholeNumbersBecomeMediaTime) {
    struct Case {
        int64_t value;
        int32_t unit;
        double fps;
        int64_t mediaTime;
    };
    const Case cases[] = {
        {83, NERLA_UNIT_SECONDS, 25.0, 830'000'000},
        {83'900, NERLA_UNIT_MILLISECONDS, 25.0, 839'000'000},
        {50, NERLA_UNIT_FRAMES, 25.0, 20'000'000},
        {1, NERLA_UNIT_FRAMES, 30000.0 / 1001.0, 333'666},  // trunc(1000 / 29.97 ms)
        {15, NERLA_UNIT_FRAMES, 10.0, 15'000'000},
        {1234, NERLA_UNIT_MEDIA_TIME, 25.0, 1234},
        {1234, 9, 25.0, 1234},
        {0, NERLA_UNIT_SECONDS, 25.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(mediaTimeFromUnit(c.value, c.unit, c.fps), c.mediaTime);
    }
}

TEST(PlayUnits, OutOfRangeInputStaysInRange) {
    // Negative positions mean the start; huge ones saturate instead of wrapping.
    EXPECT_EQ(mediaTimeFromUnit(-5, NERLA_UNIT_SECONDS, 25.0), 0);
    EXPECT_EQ(mediaTimeFromUnit(std::numeric_limits<int64_t>::min(), NERLA_UNIT_MEDIA_TIME, 25.0),
              0);
    const int64_t most =
        mediaTimeFromUnit(std::numeric_limits<int64_t>::max(), NERLA_UNIT_SECONDS, 25.0);
    EXPECT_GT(most, 0);
    EXPECT_EQ(mediaTimeFromUnit(std::numeric_limits<int64_t>::max(), NERLA_UNIT_FRAMES, 25.0),
              most);
    EXPECT_EQ(nerla::nanosFromMediaTime(most) / 100, static_cast<GstClockTime>(most));
    EXPECT_EQ(nerla::nanosFromMediaTime(-1), 0u);

    struct Case {
        double in;
        int64_t out;
    };
    const Case truncations[] = {
        {83.9, 83},
        {-83.9, -83},
        {0.999, 0},
        {1e300, std::numeric_limits<int64_t>::max()},
        {-1e300, std::numeric_limits<int64_t>::min()},
        {std::nan(""), 0},
    };
    for (const Case& c : truncations) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(nerla::truncateToInt64(c.in), c.out);
    }
}

}  // namespace
