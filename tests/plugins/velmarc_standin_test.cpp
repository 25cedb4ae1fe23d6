// Preferring a hardware decoder family, on a machine without one: the test
// registers a software stand-in under a VA-API decoder's name pattern (a bin
// around avdec_h264) and checks what decodebin3 picks for an H.264 file.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>

#include "velmarc.h"

namespace {

constexpr const char* kStandIn = "vastandinh264dec";

struct StandIn {
    GstBin parent;
};
struct StandInClass {
    GstBinClass parent_class;
};

GstStaticPadTemplate standInSink = GST_STATIC_PAD_TEMPLATE(
    "sink", GST_PAD_SINK, GST_PAD_ALWAYS,
    GST_STATIC_CAPS("video/x-h264, alignment=(string)au, stream-format=(string){avc,byte-stream}"));
GstStaticPadTemplate standInSrc =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-raw"));

}  // namespace

G_DEFINE_TYPE(StandIn, stand_in, GST_TYPE_BIN)

static void stand_in_class_init(StandInClass* klass) {
    auto* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &standInSink);
    gst_element_class_add_static_pad_template(element, &standInSrc);
    gst_element_class_set_static_metadata(element, "VA-API H.264 stand-in",
                                          "Codec/Decoder/Video/Hardware",
                                          "Software H.264 decoding under a VA-API name", "test");
}

static void stand_in_init(StandIn* self) {
    GstElement* decoder = gst_element_factory_make("avdec_h264", nullptr);
    gst_bin_add(GST_BIN(self), decoder);
    auto* klass = GST_ELEMENT_GET_CLASS(self);
    for (const char* name : {"sink", "src"}) {
        GstPad* target = gst_element_get_static_pad(decoder, name);
        gst_element_add_pad(GST_ELEMENT(self),
                            gst_ghost_pad_new_from_template(
                                name, target, gst_element_class_get_pad_template(klass, name)));
        gst_object_unref(target);
    }
}

namespace {

guint rankOf(const char* factory) {
    GstElementFactory* found = gst_element_factory_find(factory);
    const guint rank = gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(found));
    gst_object_unref(found);
    return rank;
}

// The factories of the elements a pipeline makes, as they appear.
struct MadeElements {
    std::mutex mutex;
    std::set<std::string> names;

    static void added(GstBin*, GstBin*, GstElement* element, gpointer self) {
        auto* made = static_cast<MadeElements*>(self);
        if (GstElementFactory* factory = gst_element_get_factory(element)) {
            std::lock_guard lock(made->mutex);
            made->names.insert(GST_OBJECT_NAME(factory));
        }
    }
};

void renderIntoFakesink(GstElement* decoder, GstPad* pad, gpointer pipeline) {
    (void)decoder;
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    gst_bin_add(GST_BIN(pipeline), sink);
    gst_element_sync_state_with_parent(sink);
    GstPad* input = gst_element_get_static_pad(sink, "sink");
    gst_pad_link(pad, input);
    gst_object_unref(input);
}

// The video decoder decodebin3 puts in for the H.264 fixture: the stand-in
// or the plain software decoder.
std::string videoDecoderPicked() {
    GstElement* pipeline = gst_pipeline_new(nullptr);
    GstElement* decoder = gst_element_factory_make("uridecodebin3", nullptr);
    gchar* uri = gst_filename_to_uri(NERLA_FIXTURES "/video-only.mp4", nullptr);
    g_object_set(decoder, "uri", uri, nullptr);
    g_free(uri);
    gst_bin_add(GST_BIN(pipeline), decoder);
    MadeElements made;
    g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(&MadeElements::added), &made);
    g_signal_connect(decoder, "pad-added", G_CALLBACK(&renderIntoFakesink), pipeline);
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 20 * GST_SECOND,
        static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR));
    const bool prerolled = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE;
    if (message) {
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    if (!prerolled) {
        return "nothing (no preroll)";
    }
    std::lock_guard lock(made.mutex);
    return made.names.count(kStandIn)       ? kStandIn
           : made.names.count("avdec_h264") ? "avdec_h264"
                                            : "another decoder";
}

TEST(VelmarcHardwareDecoders, PreferredFamilyOutranksTheSoftwareDecoders) {
    gst_init(nullptr, nullptr);
    ASSERT_TRUE(gst_element_register(nullptr, kStandIn, GST_RANK_NONE, stand_in_get_type()));
    EXPECT_NE(Nerla_CheckHardwareDecoder(VELMARC_DECODER_VAAPI), 0);
    EXPECT_EQ(rankOf(kStandIn), static_cast<guint>(GST_RANK_NONE));
    EXPECT_EQ(videoDecoderPicked(), "avdec_h264");

    ASSERT_NE(Nerla_EnableHardwareDecoder(VELMARC_DECODER_VAAPI), 0);
    EXPECT_GT(rankOf(kStandIn), rankOf("avdec_h264"));
    EXPECT_EQ(videoDecoderPicked(), kStandIn);

    // another family (none here) takes the preference away again
    ASSERT_NE(Nerla_EnableHardwareDecoder(VELMARC_DECODER_CUDA), 0);
    EXPECT_EQ(rankOf(kStandIn), static_cast<guint>(GST_RANK_NONE));
    EXPECT_EQ(videoDecoderPicked(), "avdec_h264");

    ASSERT_NE(Nerla_EnableHardwareDecoder(VELMARC_DECODER_VAAPI), 0);
    EXPECT_EQ(videoDecoderPicked(), kStandIn);
    ASSERT_NE(Nerla_EnableHardwareDecoder(VELMARC_DECODER_SOFTWARE), 0);
    EXPECT_EQ(rankOf(kStandIn), static_cast<guint>(GST_RANK_NONE));
    EXPECT_EQ(videoDecoderPicked(), "avdec_h264");
}

}  // namespace
