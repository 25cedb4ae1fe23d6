#include "video/renderer/renderer_branch.h"

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

void leave(GstPipeline* pipeline, GstElement* element) {
    gst_element_set_locked_state(element, TRUE);
    gst_element_set_state(element, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(pipeline), element);
}

bool isRequestPad(GstPad* pad) {
    GstPadTemplate* templ = gst_pad_get_pad_template(pad);
    const bool request = templ && GST_PAD_TEMPLATE_PRESENCE(templ) == GST_PAD_REQUEST;
    if (templ) {
        gst_object_unref(templ);
    }
    return request;
}

}  // namespace

bool RendererBranch::attach(GstPipeline* pipeline, GstElement* element, GstPad* upstream) {
    detach();
    if (!element) {
        return false;
    }
    element_.reset(GST_ELEMENT(gst_object_ref_sink(element)));
    if (!pipeline) {
        element_.reset();
        return false;
    }
    sinkPad_.reset(gst_element_get_static_pad(element_.get(), "sink"));
    if (!sinkPad_) {
        element_.reset();
        return false;
    }
    if (!upstream) {
        // Waits until decoded video is linked to it: a medium without video
        // must still preroll.
        gst_element_set_locked_state(element_.get(), TRUE);
        if (!gst_bin_add(GST_BIN(pipeline), element_.get())) {
            sinkPad_.reset();
            element_.reset();
            return false;
        }
        pipeline_ = pipeline;
        return true;
    }
    GstElement* queue = gst_element_factory_make("queue", nullptr);
    if (!queue) {
        sinkPad_.reset();
        element_.reset();
        return false;
    }
    queue_.reset(GST_ELEMENT(gst_object_ref_sink(queue)));
    if (!gst_bin_add(GST_BIN(pipeline), element_.get())) {
        queue_.reset();
        sinkPad_.reset();
        element_.reset();
        return false;
    }
    pipeline_ = pipeline;
    if (!gst_bin_add(GST_BIN(pipeline), queue_.get())) {
        queue_.reset();
        detach();
        return false;
    }
    // Downstream first and in the pipeline's state before data can arrive.
    if (!gst_element_link(queue_.get(), element_.get())) {
        GST_WARNING("cannot link the renderer behind its queue");
        detach();
        return false;
    }
    gst_element_sync_state_with_parent(element_.get());
    gst_element_sync_state_with_parent(queue_.get());
    GstPtr<GstPad> queueInput(gst_element_get_static_pad(queue_.get(), "sink"));
    upstream_ = refGst(upstream);
    if (gst_pad_link(upstream, queueInput.get()) != GST_PAD_LINK_OK) {
        GST_WARNING("cannot link %s:%s to the renderer", GST_DEBUG_PAD_NAME(upstream));
        detach();
        return false;
    }
    return true;
}

void RendererBranch::detach() {
    if (!element_) {
        return;
    }
    // A released tee pad counts its pushes as done: the branch can stop
    // while the rest of the pipeline goes on.
    if (upstream_) {
        GstPtr<GstElement> owner(gst_pad_get_parent_element(upstream_.get()));
        if (owner && isRequestPad(upstream_.get())) {
            gst_element_release_request_pad(owner.get(), upstream_.get());  // unlinks it
        } else if (GstPtr<GstPad> peer{gst_pad_get_peer(upstream_.get())}) {
            gst_pad_unlink(upstream_.get(), peer.get());
        }
        upstream_.reset();
    }
    // Downstream first: the renderer's flush frees a queue waiting on it.
    if (pipeline_) {
        leave(pipeline_, element_.get());
        if (queue_) {
            leave(pipeline_, queue_.get());
        }
    }
    queue_.reset();
    sinkPad_.reset();
    element_.reset();
    pipeline_ = nullptr;
}

bool RendererBranch::linked() const {
    if (upstream_) {
        GstPtr<GstPad> peer(gst_pad_get_peer(upstream_.get()));
        return peer != nullptr;
    }
    return sinkPad_ && gst_pad_is_linked(sinkPad_.get());
}

void RendererBranch::activateOwnerOf(GstPad* pad) {
    if (!pad) {
        return;
    }
    GstPtr<GstElement> owner(gst_pad_get_parent_element(pad));
    if (owner && gst_element_is_locked_state(owner.get())) {
        gst_element_set_locked_state(owner.get(), FALSE);
        gst_element_sync_state_with_parent(owner.get());
    }
}

}  // namespace nerla
