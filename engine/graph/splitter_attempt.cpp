#include "graph/splitter_attempt.h"

#include <algorithm>
#include <vector>

#include "frame/log.h"
#include "frame/plugin_registry.h"
#include "frame/text.h"

#define GST_CAT_DEFAULT nerla_graph_debug

namespace nerla {
namespace {

constexpr size_t kMaxPathUnits = 32768;

std::vector<GstElement*> children(GstPipeline* pipeline) {
    std::vector<GstElement*> elements;
    GstIterator* it = gst_bin_iterate_elements(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        elements.push_back(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return elements;
}

void removeElement(GstPipeline* pipeline, GstElement* element) {
    gst_element_set_state(element, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(pipeline), element);
}

bool sourceUnlinked(GstElement* source) {
    GstPtr<GstPad> pad(gst_element_get_static_pad(source, "src"));
    return !pad || !gst_pad_is_linked(pad.get());
}

}  // namespace

bool trySplitters(GstPipeline* pipeline, GraphBuilder& builder, const std::string& location,
                  bool url) {
    const auto registry = PluginRegistry::current();
    if (!registry) {
        return false;
    }
    const std::u16string path = toUtf16(location, kMaxPathUnits);
    if (!registry->askSplitters(path)) {
        return false;
    }
    GstElement* source =
        url ? gst_element_make_from_uri(GST_URI_SRC, location.c_str(), "Source Filter", nullptr)
            : gst_element_factory_make("filesrc", "Source Filter");
    if (!source) {
        return false;
    }
    if (!url) {
        g_object_set(source, "location", location.c_str(), nullptr);
    }
    const std::vector<GstElement*> before = children(pipeline);
    if (!gst_bin_add(GST_BIN(pipeline), source)) {
        return false;
    }
    if (!registry->buildWithSplitters(path, pipeline, source)) {
        GST_INFO("no splitter built %s", location.c_str());
        removeElement(pipeline, source);
        return false;
    }
    if (sourceUnlinked(source)) {
        removeElement(pipeline, source);
    }
    // Everything the plug-in added: render what it left unlinked.
    for (GstElement* element : children(pipeline)) {
        if (std::find(before.begin(), before.end(), element) == before.end()) {
            builder.renderOutputs(element);
        }
    }
    GST_INFO("a splitter plug-in built %s", location.c_str());
    return true;
}

}  // namespace nerla
