// Creating and freeing channels for files and URLs.
#include <memory>
#include <optional>
#include <string>

#include "frame/channel_list.h"
#include "frame/export_guard.h"
#include "frame/library.h"
#include "frame/text.h"
#include "graph/direct_show.h"
#include "nerla.h"

using nerla::guarded;
using nerla::IDirectShow;

namespace {

enum class Source { File, Url };

NerlaHandle createStream(const void* path, NerlaWindow win, uint32_t flags, Source source) {
    if (!path) {
        return 0;  // no error code for a null path
    }
    nerla::Library& library = nerla::Library::instance();
    if (!library.initialised()) {
        nerla::setError(NERLA_ERROR_INIT);
        return 0;
    }
    const std::optional<std::string> text =
        nerla::readText(path, nerla::encodingFromSignForm(flags));
    if (!text) {
        nerla::setError(NERLA_ERROR_FORMAT);
        return 0;
    }
    const NerlaWindow window = win ? win : library.defaultWindow();
    auto channel = std::make_unique<IDirectShow>(flags);
    channel->setTargetWindow(window);
    const bool opened = source == Source::File ? channel->OpenFile(*text) : channel->OpenURL(*text);
    if (!opened) {
        return 0;
    }
    channel->bindVideoWindow(window, nullptr);
    nerla::setError(NERLA_OK);
    return nerla::ChannelList::instance().add(std::move(channel));
}

}  // namespace

extern "C" {

NERLA_API NerlaHandle NERLA_CALL Nerla_StreamCreateFile(const void* path, int32_t /*reserved*/,
                                                        NerlaWindow win, uint32_t flags) {
    return guarded(0u, [&] { return createStream(path, win, flags, Source::File); });
}

NERLA_API NerlaHandle NERLA_CALL Nerla_StreamCreateURL(const void* url, int32_t /*reserved*/,
                                                       NerlaWindow win, uint32_t flags) {
    return guarded(0u, [&] { return createStream(url, win, flags, Source::Url); });
}

NERLA_API int32_t NERLA_CALL Nerla_StreamFree(NerlaHandle channel) {
    return guarded(0, [&] {
        if (!nerla::ChannelList::instance().find(channel)) {
            return 0;
        }
        // Destroyed outside the list lock, on return.
        return nerla::ChannelList::instance().remove(channel) ? 1 : 0;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_ChannelAddFile(NerlaHandle channel, const void* path,
                                                  uint32_t encoding) {
    return guarded(0, [&] {
        IDirectShow* target = nerla::ChannelList::instance().find(channel);
        if (!target || !path) {
            return 0;
        }
        const auto text = nerla::readText(path, nerla::encodingFromSignForm(encoding));
        if (!text) {
            nerla::setError(NERLA_ERROR_FORMAT);
            return 0;
        }
        return target->AddFile(*text) ? 1 : 0;
    });
}

NERLA_API void* NERLA_CALL Nerla_GetGraph(NerlaHandle channel) {
    return guarded<void*>(nullptr, [&]() -> void* {
        IDirectShow* target = nerla::ChannelList::instance().find(channel);
        return target ? target->GetGraph() : nullptr;
    });
}

}  // extern "C"
