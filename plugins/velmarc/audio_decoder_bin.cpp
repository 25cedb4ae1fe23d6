#include "velmarc/audio_decoder_bin.h"

#include <mutex>

#include "velmarc/audio_mixer.h"
#include "velmarc/log.h"

#define GST_CAT_DEFAULT velmarc_debug

struct VelmarcAudioDecoder {
    GstBin parent;
};

struct VelmarcAudioDecoderClass {
    GstBinClass parent_class;
};

G_DEFINE_TYPE(VelmarcAudioDecoder, velmarc_audio_decoder, GST_TYPE_BIN)

namespace {

GstStaticPadTemplate sinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("audio/x-raw"));
GstStaticPadTemplate srcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("audio/x-raw"));

}  // namespace

static void velmarc_audio_decoder_class_init(VelmarcAudioDecoderClass* klass) {
    auto* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &sinkTemplate);
    gst_element_class_add_static_pad_template(element, &srcTemplate);
    gst_element_class_set_static_metadata(
        element, "Velmarc Audio Decoder", "Filter/Converter/Audio",
        "Mixes decoded audio to the chosen speaker layout", "Corvane");
}

static void velmarc_audio_decoder_init(VelmarcAudioDecoder* self) {
    GstElement* convert = gst_element_factory_make("audioconvert", "Convert");
    GstElement* mixer = velmarc::makeAudioMixer("Mixer");
    if (!convert) {
        GST_ERROR("audioconvert is missing");
        gst_object_unref(gst_object_ref_sink(mixer));
        return;
    }
    gst_bin_add_many(GST_BIN(self), convert, mixer, nullptr);
    gst_element_link(convert, mixer);
    GstPad* sink = gst_element_get_static_pad(convert, "sink");
    GstPad* src = gst_element_get_static_pad(mixer, "src");
    auto* klass = GST_ELEMENT_GET_CLASS(self);
    gst_element_add_pad(GST_ELEMENT(self),
                        gst_ghost_pad_new_from_template(
                            "sink", sink, gst_element_class_get_pad_template(klass, "sink")));
    gst_element_add_pad(GST_ELEMENT(self),
                        gst_ghost_pad_new_from_template(
                            "src", src, gst_element_class_get_pad_template(klass, "src")));
    gst_object_unref(sink);
    gst_object_unref(src);
}

namespace velmarc {

bool registerAudioDecoder() {
    if (!ensureGstreamer()) {
        return false;
    }
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        registered = gst_element_register(nullptr, kAudioDecoderFactory, GST_RANK_NONE,
                                          velmarc_audio_decoder_get_type());
    });
    return registered;
}

}  // namespace velmarc
