#include "graph/pipeline_branch.h"

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_graph_debug

namespace nerla {

bool PipelineBranch::attach(GstPipeline* pipeline, GstElement* element) {
    if (!pipeline || !element) {
        if (element) {
            gst_object_unref(gst_object_ref_sink(element));
        }
        return false;
    }
    element_.reset(GST_ELEMENT(gst_object_ref_sink(element)));
    gst_element_set_locked_state(element_.get(), TRUE);
    if (!gst_bin_add(GST_BIN(pipeline), element_.get())) {
        element_.reset();
        return false;
    }
    pipeline_ = pipeline;
    sinkPad_.reset(gst_element_get_static_pad(element_.get(), "sink"));
    return true;
}

void PipelineBranch::detach() {
    if (!element_) {
        return;
    }
    gst_element_set_locked_state(element_.get(), TRUE);
    gst_element_set_state(element_.get(), GST_STATE_NULL);
    if (pipeline_) {
        gst_bin_remove(GST_BIN(pipeline_), element_.get());
    }
    sinkPad_.reset();
    element_.reset();
    pipeline_ = nullptr;
}

GstPad* PipelineBranch::sinkPad() const {
    return sinkPad_.get();
}

bool PipelineBranch::sinkLinked() const {
    return sinkPad_ && gst_pad_is_linked(sinkPad_.get());
}

void PipelineBranch::activate() {
    if (element_ && gst_element_is_locked_state(element_.get())) {
        gst_element_set_locked_state(element_.get(), FALSE);
        gst_element_sync_state_with_parent(element_.get());
    }
}

GstElement* makeBranchBin(const char* name, const char* description) {
    GError* raw = nullptr;
    GstElement* bin = gst_parse_bin_from_description(description, TRUE, &raw);
    ErrorPtr error(raw);
    if (!bin) {
        GST_WARNING("cannot build \"%s\": %s", description, error ? error->message : "?");
        return nullptr;
    }
    gst_object_set_name(GST_OBJECT(bin), name);
    return bin;
}

}  // namespace nerla
