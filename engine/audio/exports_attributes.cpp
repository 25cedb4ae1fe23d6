// Channel attributes and attribute slides.
#include "audio/attribute_slide.h"
#include "audio/channel_attributes.h"
#include "frame/channel_list.h"
#include "frame/export_guard.h"
#include "frame/library.h"
#include "graph/direct_show.h"
#include "nerla.h"

using nerla::guarded;

namespace {

// Volume and pan slide on a channel with sound, alpha on one with a
// picture; the error code stays as it was.
bool canSlide(NerlaHandle channel, int32_t attribute) {
    if (attribute != NERLA_ATTRIB_VOLUME && attribute != NERLA_ATTRIB_BALANCE &&
        attribute != NERLA_ATTRIB_VIDEO_ALPHA) {
        return true;
    }
    const nerla::ChannelUse target = nerla::ChannelList::instance().use(channel);
    if (!target) {
        return false;
    }
    const int32_t code = nerla::errorCode();
    NerlaChannelInfo info{};
    target->GetInfo(info);
    nerla::setError(code);
    if (attribute == NERLA_ATTRIB_VIDEO_ALPHA) {
        return info.videoWidth != 0 && info.videoHeight != 0;
    }
    return info.audioChannels != 0 && info.audioSampleRate != 0;
}

}  // namespace

extern "C" {

NERLA_API int32_t NERLA_CALL Nerla_ChannelSetAttribute(NerlaHandle channel, int32_t attribute,
                                                       float value) {
    return guarded(0, [&] { return nerla::setAttributeOf(channel, attribute, value); });
}

NERLA_API float NERLA_CALL Nerla_ChannelGetAttribute(NerlaHandle channel, int32_t attribute) {
    return guarded(0.0f, [&] { return nerla::getAttributeOf(channel, attribute); });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelSlideAttrib(NerlaHandle channel, int32_t attribute,
                                                      float target, float durationMs,
                                                      NerlaSyncProc callback, void* user) {
    return guarded(0, [&]() -> int32_t {
        if (!nerla::ChannelList::instance().find(channel) || !canSlide(channel, attribute)) {
            return 0;
        }
        // The ticks go through the exports, as a host's calls would.
        static constexpr nerla::AttributeAccess kExports{&Nerla_ChannelSetAttribute,
                                                         &Nerla_ChannelGetAttribute};
        return nerla::startSlide(channel, attribute, target, durationMs, callback, user, kExports);
    });
}

}  // extern "C"
