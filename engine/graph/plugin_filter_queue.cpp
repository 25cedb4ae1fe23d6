#include "graph/plugin_filter_queue.h"

#include "frame/log.h"
#include "frame/plugin_registry.h"

#define GST_CAT_DEFAULT nerla_graph_debug

namespace nerla {
namespace {

bool inputLinked(GstElement* element) {
    bool linked = false;
    GstIterator* pads = gst_element_iterate_sink_pads(element);
    GValue item = G_VALUE_INIT;
    while (!linked && gst_iterator_next(pads, &item) == GST_ITERATOR_OK) {
        linked = gst_pad_is_linked(GST_PAD(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(pads);
    return linked;
}

}  // namespace

void PluginFilterQueue::fill(GstPipeline* pipeline) {
    const auto registry = PluginRegistry::current();
    if (!registry) {
        return;
    }
    for (PluginRegistry::Filter& filter : registry->createFilters()) {
        GstElement* element = filter.element.get();
        // A name already in the pipeline keeps the factory's unique one.
        if (!filter.name.empty()) {
            GstPtr<GstElement> clash(gst_bin_get_by_name(GST_BIN(pipeline), filter.name.c_str()));
            if (!clash) {
                gst_object_set_name(GST_OBJECT(element), filter.name.c_str());
            }
        }
        if (!gst_bin_add(GST_BIN(pipeline), element)) {
            GST_WARNING("cannot add plug-in filter %s", GST_OBJECT_NAME(element));
            continue;
        }
        GST_DEBUG("plug-in filter %s queued", GST_OBJECT_NAME(element));
        std::lock_guard guard(lock_);
        filters_.push_back(std::move(filter.element));
    }
}

std::vector<GstElement*> PluginFilterQueue::freeFilters() {
    std::vector<GstElement*> free;
    std::lock_guard guard(lock_);
    for (const auto& filter : filters_) {
        if (!inputLinked(filter.get())) {
            free.push_back(filter.get());
        }
    }
    return free;
}

void PluginFilterQueue::removeUnconnected(GstPipeline* pipeline) {
    std::deque<GstPtr<GstElement>> taken;
    {
        std::lock_guard guard(lock_);
        taken.swap(filters_);
    }
    for (const auto& filter : taken) {
        if (!inputLinked(filter.get())) {
            GST_DEBUG("plug-in filter %s unused; removing it", GST_OBJECT_NAME(filter.get()));
            gst_element_set_state(filter.get(), GST_STATE_NULL);
            gst_bin_remove(GST_BIN(pipeline), filter.get());
        }
    }
}

bool PluginFilterQueue::empty() {
    std::lock_guard guard(lock_);
    return filters_.empty();
}

}  // namespace nerla
