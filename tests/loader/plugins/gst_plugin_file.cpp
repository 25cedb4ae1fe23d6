// A GStreamer plugin file with one pass-through element, "nerlaloadertest".
#include <gst/base/gstbasetransform.h>
#include <gst/gst.h>

G_BEGIN_DECLS
#define NERLA_TYPE_LOADER_TEST (nerla_loader_test_get_type())
G_DECLARE_FINAL_TYPE(NerlaLoaderTest, nerla_loader_test, NERLA, LOADER_TEST, GstBaseTransform)
G_END_DECLS

struct _NerlaLoaderTest {
    GstBaseTransform parent;
};

G_DEFINE_TYPE(NerlaLoaderTest, nerla_loader_test, GST_TYPE_BASE_TRANSFORM)

static GstStaticPadTemplate sinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
static GstStaticPadTemplate srcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);

static void nerla_loader_test_class_init(NerlaLoaderTestClass* klass) {
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &sinkTemplate);
    gst_element_class_add_static_pad_template(element, &srcTemplate);
    gst_element_class_set_static_metadata(element, "Loader test", "Filter", "Passes buffers",
                                          "Nerla");
    GST_BASE_TRANSFORM_CLASS(klass)->passthrough_on_same_caps = TRUE;
}

static void nerla_loader_test_init(NerlaLoaderTest* self) {
    gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(self), TRUE);
}

static gboolean pluginInit(GstPlugin* plugin) {
    return gst_element_register(plugin, "nerlaloadertest", GST_RANK_NONE, NERLA_TYPE_LOADER_TEST);
}

#define PACKAGE "nerla-tests"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, nerlaloadertest, "Loader test element",
                  pluginInit, "1.0", "LGPL", "nerla-tests", "https://example.invalid")
