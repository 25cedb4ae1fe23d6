// Playback control, position, length, information and sync callbacks.
#include <cstdint>

#include "frame/channel_list.h"
#include "frame/export_guard.h"
#include "frame/library.h"
#include "graph/direct_show.h"
#include "graph/media_units.h"
#include "nerla.h"

using nerla::guarded;
using nerla::IDirectShow;

namespace {

IDirectShow* channelOf(NerlaHandle channel) {
    return nerla::ChannelList::instance().find(channel);
}

// Transport calls start from a clean error code.
template <typename Operation>
int32_t transport(NerlaHandle channel, Operation operation) {
    return guarded(0, [&] {
        IDirectShow* target = channelOf(channel);
        if (!target) {
            return 0;
        }
        nerla::setError(NERLA_OK);
        return operation(*target);
    });
}

}  // namespace

extern "C" {

NERLA_API int32_t NERLA_CALL Nerla_ChannelPlay(NerlaHandle channel) {
    return transport(channel, [](IDirectShow& target) { return target.Play(); });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelPause(NerlaHandle channel) {
    return transport(channel, [](IDirectShow& target) { return target.Pause(); });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelStop(NerlaHandle channel) {
    return transport(channel, [](IDirectShow& target) {
        const int32_t stopped = target.Stop();
        target.SetPosition(0, 0, NERLA_UNIT_SECONDS);  // also when the stop was refused
        return stopped;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelGetState(NerlaHandle channel) {
    return guarded(0, [&] {
        IDirectShow* target = channelOf(channel);
        return target ? target->GetState() : 0;
    });
}

NERLA_API double NERLA_CALL Nerla_ChannelGetLength(NerlaHandle channel, int32_t unit) {
    return guarded(0.0, [&] {
        IDirectShow* target = channelOf(channel);
        return target ? target->GetLength(unit) : 0.0;
    });
}

NERLA_API double NERLA_CALL Nerla_ChannelGetPosition(NerlaHandle channel, int32_t unit) {
    return guarded(0.0, [&] {
        IDirectShow* target = channelOf(channel);
        return target ? target->GetPosition(unit) : 0.0;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelSetPositionVB(NerlaHandle channel, uint32_t low,
                                                        uint32_t high, int32_t unit) {
    return guarded(0, [&] {
        IDirectShow* target = channelOf(channel);
        return target ? target->SetPosition(low, high, unit) : 0;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelSetPosition(NerlaHandle channel, double position,
                                                      int32_t unit) {
    const auto value = static_cast<uint64_t>(nerla::truncateToInt64(position));
    return Nerla_ChannelSetPositionVB(channel, static_cast<uint32_t>(value),
                                      static_cast<uint32_t>(value >> 32), unit);
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelGetInfo(NerlaHandle channel, NerlaChannelInfo* info) {
    return guarded(0, [&] {
        if (info) {
            *info = NerlaChannelInfo{};
        }
        IDirectShow* target = channelOf(channel);
        if (!target || !info) {
            return 0;
        }
        return target->GetInfo(*info);
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelSetCallbackSync(NerlaHandle channel,
                                                          NerlaSyncProc callback) {
    return guarded(0, [&] {
        IDirectShow* target = channelOf(channel);
        if (!target) {
            return 0;
        }
        nerla::setError(NERLA_OK);
        return target->SetSyncCallback(callback);
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelRemCallbackSync(NerlaHandle channel) {
    return guarded(0, [&] {
        IDirectShow* target = channelOf(channel);
        return target ? target->RemoveSyncCallback() : 0;
    });
}

}  // extern "C"
