// Length and position units of the channel exports, over media time in
// 100-nanosecond units.
#pragma once

#include <gst/gst.h>

#include <cstdint>

#include "nerla.h"

namespace nerla {

inline constexpr int64_t kMediaTimePerSecond = 10'000'000;
inline constexpr int64_t kMediaTimePerMillisecond = 10'000;
inline constexpr double kDefaultFrameRate = 25.0;

// Only the frame unit needs the video's frame rate.
constexpr bool unitNeedsFrameRate(int32_t unit) {
    return unit == NERLA_UNIT_FRAMES;
}

// A length: fractional in every unit; any other unit gives media time.
double lengthInUnit(int64_t mediaTime, int32_t unit, double fps);
// A position: whole seconds and milliseconds; any other unit gives 0.
double positionInUnit(int64_t mediaTime, int32_t unit, double fps);
// A whole number in `unit` as media time, never negative, saturated at the
// largest media time.
int64_t mediaTimeFromUnit(int64_t value, int32_t unit, double fps);

// A double truncated toward zero, saturated to the int64 range (NaN: 0).
int64_t truncateToInt64(double value);

GstClockTime nanosFromMediaTime(int64_t mediaTime);
int64_t mediaTimeFromNanos(GstClockTime nanos);

}  // namespace nerla
