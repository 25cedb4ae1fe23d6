// The audio output devices.
#include "audio/audio_devices.h"
#include "frame/channel_list.h"
#include "frame/export_guard.h"
#include "frame/library.h"
#include "frame/text.h"
#include "graph/direct_show.h"
#include "nerla.h"

using nerla::guarded;

extern "C" {

// Counts every device; names go to the callback as UTF-16 (0x80000000) or
// ANSI (0, at most 260 bytes), and to none for another encoding.
NERLA_API int32_t NERLA_CALL Nerla_GetAudioRenderers(NerlaDeviceProc callback, void* user,
                                                     uint32_t encoding) {
    return guarded(0, [&]() -> int32_t {
        if (!nerla::Library::instance().initialised()) {
            nerla::setError(NERLA_ERROR_INIT);
            return 0;
        }
        const auto form = nerla::encodingFromExactForm(encoding);
        const std::vector<nerla::AudioDevice> devices = nerla::listAudioSinks();
        for (const nerla::AudioDevice& device : devices) {
            if (!callback || !form) {
                continue;
            }
            if (*form == nerla::TextEncoding::Utf16) {
                const std::u16string name = nerla::toUtf16(device.name, 32768);
                callback(name.c_str(), device.guid, user);
            } else {
                const std::string name = nerla::toAnsi(device.name, 260);
                callback(name.c_str(), device.guid, user);
            }
        }
        nerla::setError(NERLA_OK);
        return static_cast<int32_t>(devices.size());
    });
}

// Stops the channel and exchanges its audio renderer for the one of
// `choice` (-1 the default output, n the n-th device, 10094 the null one).
NERLA_API int32_t NERLA_CALL Nerla_ChannelSetAudioDevice(NerlaHandle channel, int32_t choice) {
    return guarded(0, [&]() -> int32_t {
        const nerla::ChannelUse target = nerla::ChannelList::instance().use(channel);
        return target ? target->SetAudioDevice(choice) : 0;
    });
}

}  // extern "C"
