#include "video/renderer/infinite_tee.h"

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

// Holds what the pad pushes while the links change.
GstPadProbeReturn holdData(GstPad*, GstPadProbeInfo*, gpointer) {
    return GST_PAD_PROBE_OK;
}

void removeElement(GstPipeline* pipeline, GstElement* element) {
    gst_element_set_locked_state(element, TRUE);
    gst_element_set_state(element, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(pipeline), element);
}

}  // namespace

GstPtr<GstElement> InfiniteTee::ensure(GstPipeline* pipeline, GstPad* rendererInput) {
    if (GstElement* existing = gst_bin_get_by_name(GST_BIN(pipeline), kName)) {
        return GstPtr<GstElement>(existing);
    }
    GstPtr<GstPad> feed(rendererInput ? gst_pad_get_peer(rendererInput) : nullptr);
    if (!feed) {
        GST_INFO("no video reaches a renderer: no tee");
        return nullptr;
    }
    GstElement* teeElement = gst_element_factory_make("tee", kName);
    GstElement* queueElement = gst_element_factory_make("queue", nullptr);
    if (!teeElement || !queueElement) {
        if (teeElement) {
            gst_object_unref(gst_object_ref_sink(teeElement));
        }
        if (queueElement) {
            gst_object_unref(gst_object_ref_sink(queueElement));
        }
        return nullptr;
    }
    GstPtr<GstElement> tee(GST_ELEMENT(gst_object_ref_sink(teeElement)));
    GstPtr<GstElement> queue(GST_ELEMENT(gst_object_ref_sink(queueElement)));
    // A window removed later leaves its output unlinked for a moment.
    g_object_set(tee.get(), "allow-not-linked", TRUE, nullptr);
    if (!gst_bin_add(GST_BIN(pipeline), tee.get())) {
        return nullptr;
    }
    if (!gst_bin_add(GST_BIN(pipeline), queue.get())) {
        removeElement(pipeline, tee.get());
        return nullptr;
    }
    gst_element_sync_state_with_parent(queue.get());
    gst_element_sync_state_with_parent(tee.get());

    const gulong hold = gst_pad_add_probe(feed.get(), GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM,
                                          &holdData, nullptr, nullptr);
    gst_pad_unlink(feed.get(), rendererInput);
    GstPtr<GstPad> teeInput(gst_element_get_static_pad(tee.get(), "sink"));
    GstPtr<GstPad> queueInput(gst_element_get_static_pad(queue.get(), "sink"));
    GstPtr<GstPad> queueOutput(gst_element_get_static_pad(queue.get(), "src"));
    GstPtr<GstPad> mainOutput = newOutput(tee.get());
    const bool linked = mainOutput &&
                        gst_pad_link(queueOutput.get(), rendererInput) == GST_PAD_LINK_OK &&
                        gst_pad_link(mainOutput.get(), queueInput.get()) == GST_PAD_LINK_OK &&
                        gst_pad_link(feed.get(), teeInput.get()) == GST_PAD_LINK_OK;
    if (!linked) {
        GST_WARNING("cannot put the tee in front of the renderer; the link stays");
        gst_pad_unlink(feed.get(), teeInput.get());
        gst_pad_unlink(queueOutput.get(), rendererInput);
        if (mainOutput) {
            gst_pad_unlink(mainOutput.get(), queueInput.get());
            gst_element_release_request_pad(tee.get(), mainOutput.get());
        }
        gst_pad_link(feed.get(), rendererInput);
    }
    gst_pad_remove_probe(feed.get(), hold);
    if (!linked) {
        removeElement(pipeline, queue.get());
        removeElement(pipeline, tee.get());
        return nullptr;
    }
    GST_DEBUG("tee in front of %s:%s", GST_DEBUG_PAD_NAME(rendererInput));
    return tee;
}

GstPtr<GstPad> InfiniteTee::newOutput(GstElement* tee) {
    return GstPtr<GstPad>(tee ? gst_element_request_pad_simple(tee, "src_%u") : nullptr);
}

void InfiniteTee::dropOutput(GstElement* tee, GstPad* output) {
    if (tee && output && !gst_pad_is_linked(output)) {
        gst_element_release_request_pad(tee, output);
    }
}

}  // namespace nerla
