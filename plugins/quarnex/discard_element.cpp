#include "quarnex/discard_element.h"

#include "common/gst_ptr.h"

namespace {

struct QuarnexDiscard {
    GstElement parent;
    unsigned pads;
};

struct QuarnexDiscardClass {
    GstElementClass parent_class;
};

GstStaticPadTemplate sinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink_%u", GST_PAD_SINK, GST_PAD_REQUEST, GST_STATIC_CAPS_ANY);

GstFlowReturn discardChain(GstPad*, GstObject*, GstBuffer* buffer) {
    gst_buffer_unref(buffer);
    return GST_FLOW_OK;
}

gboolean discardEvent(GstPad*, GstObject*, GstEvent* event) {
    gst_event_unref(event);
    return TRUE;
}

}  // namespace

G_DEFINE_TYPE(QuarnexDiscard, quarnex_discard, GST_TYPE_ELEMENT)

static void quarnex_discard_class_init(QuarnexDiscardClass* klass) {
    auto* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &sinkTemplate);
    gst_element_class_set_static_metadata(element, "Quarnex Discard", "Generic",
                                          "Drops the streams the playlist does not play",
                                          "Corvane");
}

static void quarnex_discard_init(QuarnexDiscard* self) {
    self->pads = 0;
}

namespace quarnex {

GstElement* makeDiscardElement(const char* name) {
    return GST_ELEMENT(g_object_new(quarnex_discard_get_type(), "name", name, nullptr));
}

GstPad* discardPad(GstElement* discard) {
    auto* self = reinterpret_cast<QuarnexDiscard*>(discard);
    GST_OBJECT_LOCK(discard);
    const unsigned number = self->pads++;
    GST_OBJECT_UNLOCK(discard);
    const plugin::GCharPtr name(g_strdup_printf("sink_%u", number));
    GstPad* pad = gst_pad_new_from_static_template(&sinkTemplate, name.get());
    gst_pad_set_chain_function(pad, discardChain);
    gst_pad_set_event_function(pad, discardEvent);
    if (!gst_element_add_pad(discard, pad)) {
        return nullptr;
    }
    return pad;
}

}  // namespace quarnex
