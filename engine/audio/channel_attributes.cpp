#include "audio/channel_attributes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "frame/channel_list.h"
#include "frame/library.h"
#include "graph/direct_show.h"

namespace nerla {
namespace {

// Toward zero, held inside the int32 range.
int32_t truncated(float value) {
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    const double v = std::trunc(static_cast<double>(value));
    return static_cast<int32_t>(v < kLow ? kLow : (v > kHigh ? kHigh : v));
}

// f(renderer) on the channel's audio renderer; `none` with NERLA_ERROR_NOAUDIO
// without one.
template <typename T, typename F>
T withAudio(IDirectShow& channel, T none, F&& f) {
    return channel.withAudioRenderer([&](IAudioRenderer2* renderer) {
        if (!renderer) {
            setError(NERLA_ERROR_NOAUDIO);
            return none;
        }
        return static_cast<T>(f(*renderer));
    });
}

int32_t setPan(IDirectShow& channel, int32_t pan) {
    // Hundredths of a decibel; the renderer clamps them.
    const auto clamped = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{pan} * 100, std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max()));
    return withAudio(channel, 0,
                     [&](IAudioRenderer2& renderer) { return renderer.SetPan(clamped) ? 1 : 0; });
}

}  // namespace

int32_t setChannelAttribute(IDirectShow& channel, int32_t attribute, float value) {
    if (attribute < NERLA_ATTRIB_VOLUME || attribute > NERLA_ATTRIB_VIEW ||
        (attribute != NERLA_ATTRIB_RATE && std::isnan(value))) {
        setError(NERLA_ERROR_ILLPARAM);
        return 0;
    }
    switch (attribute) {
        case NERLA_ATTRIB_VOLUME:
            return withAudio(channel, 0, [&](IAudioRenderer2& renderer) {
                return renderer.SetVolume(truncated(value)) ? 1 : 0;
            });
        case NERLA_ATTRIB_BALANCE:
            return setPan(channel, truncated(value));
        case NERLA_ATTRIB_RATE:
            // A refused rate changes nothing and is still answered with 1.
            return channel.SetRate(static_cast<double>(value));
        case NERLA_ATTRIB_VIDEO_ALPHA:
            if (IVideoRenderer2* renderer = channel.videoRenderer()) {
                return renderer->SetStreamAlpha(0, value);
            }
            setError(NERLA_ERROR_NOVIDEO);
            return 1;
        default:
            if (IVideoRenderer2* renderer = channel.videoRenderer()) {
                return renderer->SetViewValue(truncated(value));
            }
            setError(NERLA_ERROR_NOVIDEO);
            return 0;
    }
}

float getChannelAttribute(IDirectShow& channel, int32_t attribute) {
    switch (attribute) {
        case NERLA_ATTRIB_VOLUME:
        case NERLA_ATTRIB_BALANCE:
            return withAudio(channel, 0.0f, [&](IAudioRenderer2& renderer) {
                return attribute == NERLA_ATTRIB_VOLUME
                           ? static_cast<float>(renderer.GetVolume())
                           : static_cast<float>(renderer.GetPan() / 100);
            });
        case NERLA_ATTRIB_RATE:
            return static_cast<float>(channel.GetRate());
        case NERLA_ATTRIB_VIDEO_ALPHA:
            if (IVideoRenderer2* renderer = channel.videoRenderer()) {
                return renderer->GetStreamAlpha(0);
            }
            setError(NERLA_ERROR_NOVIDEO);
            return 0.0f;
        default:
            setError(NERLA_ERROR_ILLPARAM);
            return 0.0f;
    }
}

int32_t setAttributeOf(NerlaHandle channel, int32_t attribute, float value) {
    const ChannelUse target = ChannelList::instance().use(channel);
    return target ? setChannelAttribute(*target.get(), attribute, value) : 0;
}

float getAttributeOf(NerlaHandle channel, int32_t attribute) {
    const ChannelUse target = ChannelList::instance().use(channel);
    return target ? getChannelAttribute(*target.get(), attribute) : 0.0f;
}

}  // namespace nerla
