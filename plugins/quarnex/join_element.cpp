#include "quarnex/join_element.h"

#include <new>

#include "quarnex/stream_join.h"

namespace {

struct QuarnexJoin {
    GstElement parent;
    GstPad* src;
    bool constructed;
    alignas(quarnex::StreamJoin) unsigned char storage[sizeof(quarnex::StreamJoin)];
};

struct QuarnexJoinClass {
    GstElementClass parent_class;
};

GstStaticPadTemplate srcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
GstStaticPadTemplate sinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink_%u", GST_PAD_SINK, GST_PAD_REQUEST, GST_STATIC_CAPS_ANY);

}  // namespace

G_DEFINE_TYPE(QuarnexJoin, quarnex_join, GST_TYPE_ELEMENT)

namespace {

quarnex::StreamJoin* logicOf(QuarnexJoin* self) {
    return std::launder(reinterpret_cast<quarnex::StreamJoin*>(self->storage));
}

void quarnexJoinFinalize(GObject* object) {
    auto* self = reinterpret_cast<QuarnexJoin*>(object);
    if (self->constructed) {
        logicOf(self)->~StreamJoin();
        self->constructed = false;
    }
    G_OBJECT_CLASS(quarnex_join_parent_class)->finalize(object);
}

}  // namespace

static void quarnex_join_class_init(QuarnexJoinClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = quarnexJoinFinalize;
    auto* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_static_pad_template(element, &srcTemplate);
    gst_element_class_add_static_pad_template(element, &sinkTemplate);
    gst_element_class_set_static_metadata(element, "Quarnex Playlist Join", "Generic",
                                          "Plays one stream of the playlist's items in turn",
                                          "Corvane");
}

static void quarnex_join_init(QuarnexJoin* self) {
    self->src = gst_pad_new_from_static_template(&srcTemplate, "src");
    gst_element_add_pad(GST_ELEMENT(self), self->src);
    self->constructed = false;
}

namespace quarnex {

GstElement* makeJoinElement(PlaylistControl& control, size_t items, const std::string& name,
                            std::string streamId, guint groupId, StreamJoin** join) {
    auto* self = static_cast<QuarnexJoin*>(
        g_object_new(quarnex_join_get_type(), "name", name.c_str(), nullptr));
    auto* logic = new (self->storage)
        StreamJoin(GST_ELEMENT(self), self->src, control, items, std::move(streamId), groupId);
    self->constructed = true;
    *join = logic;
    return GST_ELEMENT(self);
}

}  // namespace quarnex
