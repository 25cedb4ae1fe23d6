#include "audio/desktop_audio_renderer.h"

#include <gst/audio/audio.h>

#include <algorithm>

#include "audio/audio_devices.h"
#include "audio/audio_info.h"
#include "audio/output_level.h"
#include "audio/volume_curve.h"
#include "frame/library.h"
#include "frame/log.h"
#include "graph/direct_show.h"

#define GST_CAT_DEFAULT nerla_audio_debug

namespace nerla {
namespace {

constexpr const char* kLevelName = "Output Level";

// "Audio Renderer": convert, resample, the level stage, then `output`.
GstElement* makeRendererBin(GstElement* output) {
    GstElement* bin = gst_bin_new("Audio Renderer");
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* level =
        registerOutputLevel() ? gst_element_factory_make(kOutputLevelFactory, kLevelName) : nullptr;
    GstElement* back = gst_element_factory_make("audioconvert", nullptr);
    if (!convert || !resample || !level || !back || !output) {
        for (GstElement* e : {convert, resample, level, back, output}) {
            if (e) {
                gst_object_unref(gst_object_ref_sink(e));
            }
        }
        gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    gst_bin_add_many(GST_BIN(bin), convert, resample, level, back, output, nullptr);
    if (!gst_element_link_many(convert, resample, level, back, output, nullptr)) {
        gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    GstPtr<GstPad> sink(gst_element_get_static_pad(convert, "sink"));
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", sink.get()));
    return bin;
}

}  // namespace

bool IDesktopAudioRenderer::AttachToGraph(IDirectShow& channel, int32_t choice) {
    GstElement* output = nullptr;
    if (choice >= 1) {
        std::vector<AudioDevice> devices = listAudioSinks();
        if (static_cast<size_t>(choice) > devices.size()) {
            GST_INFO("no audio output %d (%zu present)", choice, devices.size());
            return false;
        }
        output = gst_device_create_element(devices[choice - 1].device.get(), "Audio Output");
        GST_INFO("audio goes to \"%s\"", devices[choice - 1].name.c_str());
    } else {
        output = gst_element_factory_make("autoaudiosink", "Audio Output");
    }
    GstElement* bin = makeRendererBin(output);
    return bin && branch_.attach(channel.GetGraph(), bin);
}

bool IDesktopAudioRenderer::VerifyConnection(IDirectShow& /*channel*/, GstPad* upstream) {
    if (upstream && branch_.sinkPad() && !gst_pad_is_linked(upstream)) {
        if (gst_pad_link(upstream, branch_.sinkPad()) != GST_PAD_LINK_OK) {
            return false;
        }
        branch_.activate();
    }
    return branch_.sinkLinked();
}

bool IDesktopAudioRenderer::QueryAudioInfo(NerlaChannelInfo& info) {
    return branch_.sinkPad() && audioInfoFromPad(branch_.sinkPad(), info);
}

GstElement* IDesktopAudioRenderer::levelStage() const {
    GstElement* bin = branch_.element();
    if (!bin) {
        return nullptr;
    }
    GstPtr<GstElement> level(gst_bin_get_by_name(GST_BIN(bin), kLevelName));
    return level.get();  // the bin keeps it
}

bool IDesktopAudioRenderer::SetVolume(int32_t volume) {
    volume_ = std::clamp(volume, 1, 100);
    GstElement* stage = levelStage();
    if (!stage) {
        setError(NERLA_ERROR_NOAUDIO);
        return false;
    }
    setOutputVolume(stage, volume < 1 ? -10000 : volumeToHundredthsDb(volume_));
    return true;
}

bool IDesktopAudioRenderer::SetPan(int32_t balance) {
    balance_ = std::clamp(balance, -10000, 10000);
    GstElement* stage = levelStage();
    if (!stage) {
        setError(NERLA_ERROR_NOAUDIO);
        return false;
    }
    setOutputBalance(stage, balance_);
    return true;
}

}  // namespace nerla
