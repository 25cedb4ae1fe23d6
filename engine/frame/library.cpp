#include "frame/library.h"

#include "frame/channel_list.h"
#include "frame/log.h"
#include "frame/sample_convert.h"
#include "frame/x11_display.h"

#define GST_CAT_DEFAULT nerla_frame_debug

namespace nerla {
namespace {

std::atomic<int32_t> lastError{NERLA_OK};

constexpr uint32_t kVideoRenderer = NERLA_CONFIG_VIDEO_RENDERER;
constexpr uint32_t kDefaultWindow = NERLA_CONFIG_DEFAULT_WINDOW;
constexpr uint32_t kMixerStreams = NERLA_CONFIG_MIXER_STREAMS;
constexpr uint32_t kAudioRenderer = NERLA_CONFIG_AUDIO_RENDERER;
constexpr uint32_t kFloatDsp = NERLA_CONFIG_FLOAT_DSP;

}  // namespace

int32_t errorCode() {
    return lastError.load();
}
void setError(int32_t code) {
    lastError.store(code);
}

Library& Library::instance() {
    static Library library;
    return library;
}

bool Library::init(NerlaWindow window) {
    if (initialised_.load()) {
        return true;
    }
    if (ensureGstreamer()) {
        setError(NERLA_OK);
        selectConversionRoutine(detectConversionRoutine());
        initialised_.store(true);
        GST_INFO("started, conversion routine %d", static_cast<int>(selectedConversionRoutine()));
    } else {
        setError(NERLA_ERROR_COM);
    }
    defaultWindow_.store(window ? window : X11Display::activeWindow());
    return initialised_.load();
}

bool Library::free() {
    if (!initialised_.load()) {
        setError(NERLA_ERROR_INIT);
        return false;
    }
    ChannelList::instance().destroyAll();
    initialised_.store(false);
    setError(NERLA_OK);
    GST_INFO("stopped");
    return true;
}

intptr_t Library::setConfig(uint32_t option, intptr_t value) {
    switch (option) {
        case kVideoRenderer:
            videoRenderer_.store(value >= 1 && value <= 7 ? static_cast<int32_t>(value) : 1);
            return value;
        case kDefaultWindow:
            defaultWindow_.store(static_cast<uintptr_t>(value));
            return option;
        case kMixerStreams:
            mixerStreams_.store(static_cast<int32_t>(value));
            return value;
        case kAudioRenderer:
            audioRenderer_.store(static_cast<int32_t>(value));
            return value;
        case kFloatDsp:
            floatDsp_.store(value != 0 ? 1 : 0);
            return option;
        default:
            return option;
    }
}

intptr_t Library::config(uint32_t option) const {
    switch (option) {
        case kVideoRenderer:
            return videoRenderer_.load();
        case kDefaultWindow:
            return static_cast<intptr_t>(defaultWindow_.load());
        case kMixerStreams:
            return mixerStreams_.load();
        case kAudioRenderer:
            return audioRenderer_.load();
        case kFloatDsp:
            return floatDsp_.load();
        default:
            return 0;
    }
}

}  // namespace nerla
