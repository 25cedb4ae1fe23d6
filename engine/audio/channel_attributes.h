// The numbered attributes of a channel (volume, pan, rate, video alpha, view
// value), routed to the object that implements each.
#pragma once

#include <cstdint>

#include "nerla.h"

namespace nerla {

class IDirectShow;

// 1 or 0 as the routed operation answers; 0 with NERLA_ERROR_ILLPARAM for a
// number outside 1..5 or a value that is not a number.
int32_t setChannelAttribute(IDirectShow& channel, int32_t attribute, float value);
// 0.0 with NERLA_ERROR_ILLPARAM for a number outside 1..4.
float getChannelAttribute(IDirectShow& channel, int32_t attribute);

// Through the handle, the channel kept alive for the call; 0 for an unknown
// channel. Safe on any thread.
int32_t setAttributeOf(NerlaHandle channel, int32_t attribute, float value);
float getAttributeOf(NerlaHandle channel, int32_t attribute);

}  // namespace nerla
