#include "graph/media_units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nerla {
namespace {

constexpr int64_t kMaxMediaTime = std::numeric_limits<int64_t>::max() / 100;

int64_t saturatedProduct(int64_t value, int64_t factor) {
    if (value > kMaxMediaTime / factor) {
        return kMaxMediaTime;
    }
    return value * factor;
}

}  // namespace

double lengthInUnit(int64_t mediaTime, int32_t unit, double fps) {
    const auto t = static_cast<double>(mediaTime);
    switch (unit) {
        case NERLA_UNIT_SECONDS:
            return t / kMediaTimePerSecond;
        case NERLA_UNIT_FRAMES:
            return t / kMediaTimePerMillisecond * fps / 1000.0;
        case NERLA_UNIT_MILLISECONDS:
            return t / kMediaTimePerMillisecond;
        default:
            return t;
    }
}

double positionInUnit(int64_t mediaTime, int32_t unit, double fps) {
    switch (unit) {
        case NERLA_UNIT_SECONDS:
            return static_cast<double>(mediaTime / kMediaTimePerSecond);
        case NERLA_UNIT_FRAMES:
            return lengthInUnit(mediaTime, unit, fps);
        case NERLA_UNIT_MILLISECONDS:
            return static_cast<double>(mediaTime / kMediaTimePerMillisecond);
        case NERLA_UNIT_MEDIA_TIME:
            return static_cast<double>(mediaTime);
        default:
            return 0.0;
    }
}

int64_t mediaTimeFromUnit(int64_t value, int32_t unit, double fps) {
    if (value <= 0) {
        return 0;
    }
    switch (unit) {
        case NERLA_UNIT_SECONDS:
            return saturatedProduct(value, kMediaTimePerSecond);
        case NERLA_UNIT_FRAMES:
            return std::min(truncateToInt64(static_cast<double>(value) * 1000.0 / fps *
                                            kMediaTimePerMillisecond),
                            kMaxMediaTime);
        case NERLA_UNIT_MILLISECONDS:
            return saturatedProduct(value, kMediaTimePerMillisecond);
        default:
            return std::min(value, kMaxMediaTime);
    }
}

int64_t truncateToInt64(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    // 2^63 is the first double beyond the range.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= kLimit) {
        return std::numeric_limits<int64_t>::max();
    }
    if (value < -kLimit) {
        return std::numeric_limits<int64_t>::min();
    }
    return static_cast<int64_t>(std::trunc(value));
}

GstClockTime nanosFromMediaTime(int64_t mediaTime) {
    return static_cast<GstClockTime>(std::clamp<int64_t>(mediaTime, 0, kMaxMediaTime)) * 100;
}

int64_t mediaTimeFromNanos(GstClockTime nanos) {
    return static_cast<int64_t>(nanos / 100);
}

}  // namespace nerla
