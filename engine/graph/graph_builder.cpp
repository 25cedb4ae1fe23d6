#include "graph/graph_builder.h"

#include <string_view>

#include "frame/log.h"
#include "frame/x11_display.h"
#include "graph/pipeline_branch.h"

#define GST_CAT_DEFAULT nerla_graph_debug

namespace nerla {
namespace {

enum class StreamKind { Audio, Video, Other };

StreamKind kindOf(GstPad* pad) {
    GstPtr<GstStream> stream(gst_pad_get_stream(pad));
    if (stream) {
        const GstStreamType type = gst_stream_get_stream_type(stream.get());
        if (type & GST_STREAM_TYPE_VIDEO) {
            return StreamKind::Video;
        }
        if (type & GST_STREAM_TYPE_AUDIO) {
            return StreamKind::Audio;
        }
    }
    CapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps) {
        caps.reset(gst_pad_query_caps(pad, nullptr));
    }
    if (caps && !gst_caps_is_empty(caps.get()) && !gst_caps_is_any(caps.get())) {
        const std::string_view name = gst_structure_get_name(gst_caps_get_structure(caps.get(), 0));
        if (name.starts_with("video/")) {
            return StreamKind::Video;
        }
        if (name.starts_with("audio/")) {
            return StreamKind::Audio;
        }
    }
    return StreamKind::Other;
}

// uridecodebin3 starts its source before its inner decodebin3 when it goes
// to PAUSED: a stream that reaches the decodebin3 while that is still in
// READY is refused as flushing and the medium never prerolls. Bringing the
// decodebin3 to PAUSED first closes the gap. The pipeline must be in READY
// or above already: its own step to READY would take the decodebin3 back.
void prepareDecoder(GstElement* uriDecoder) {
    gst_element_set_state(uriDecoder, GST_STATE_READY);
    GstIterator* it = gst_bin_iterate_elements(GST_BIN(uriDecoder));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* child = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* factory = gst_element_get_factory(child);
        if (factory && std::string_view(GST_OBJECT_NAME(factory)) == "decodebin3") {
            gst_element_set_state(child, GST_STATE_PAUSED);
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
}

}  // namespace

GraphBuilder::GraphBuilder(GstPipeline* pipeline, StreamRouter& router)
    : pipeline_(pipeline), router_(router) {}

GraphBuilder::~GraphBuilder() {
    for (const auto& decoder : decoders_) {
        g_signal_handlers_disconnect_by_data(decoder.get(), this);
    }
    for (const auto& element : outputs_) {
        g_signal_handlers_disconnect_by_data(element.get(), this);
    }
}

void GraphBuilder::restartSources() {
    std::vector<std::pair<GstPtr<GstElement>, std::string>> old;
    {
        std::lock_guard guard(lock_);
        old.swap(sources_);
    }
    for (auto& [decoder, uri] : old) {
        g_signal_handlers_disconnect_by_data(decoder.get(), this);
        gst_element_set_state(decoder.get(), GST_STATE_NULL);
        gst_bin_remove(GST_BIN(pipeline_), decoder.get());
        GST_INFO("restarting the decoder for %s", uri.c_str());
        addSource(uri, true);
    }
}

void GraphBuilder::renderOutputs(GstElement* element) {
    {
        std::lock_guard guard(lock_);
        outputs_.push_back(refGst(element));
    }
    g_signal_connect(element, "pad-added", G_CALLBACK(&GraphBuilder::onOutputAdded), this);
    std::vector<GstPtr<GstPad>> unlinked;
    GstIterator* pads = gst_element_iterate_src_pads(element);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(pads, &item) == GST_ITERATOR_OK) {
        GstPad* pad = GST_PAD(g_value_get_object(&item));
        if (!gst_pad_is_linked(pad)) {
            unlinked.push_back(refGst(pad));
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(pads);
    for (const auto& pad : unlinked) {
        renderPad(pad.get());
    }
}

void GraphBuilder::onOutputAdded(GstElement* /*element*/, GstPad* pad, gpointer self) {
    if (GST_PAD_IS_SRC(pad) && !gst_pad_is_linked(pad)) {
        static_cast<GraphBuilder*>(self)->renderPad(pad);
    }
}

// A decoder per output: it decodes what needs it, passes raw streams on,
// and announces its streams like the medium's own decoder.
void GraphBuilder::renderPad(GstPad* pad) {
    GstElement* decoder = gst_element_factory_make("decodebin3", nullptr);
    if (!decoder) {
        GST_ERROR("decodebin3 is missing");
        return;
    }
    g_signal_connect(decoder, "pad-added", G_CALLBACK(&GraphBuilder::onPadAdded), this);
    {
        std::lock_guard guard(lock_);
        decoders_.push_back(refGst(decoder));
    }
    if (!gst_bin_add(GST_BIN(pipeline_), decoder)) {
        return;
    }
    GstPtr<GstPad> sink(gst_element_get_static_pad(decoder, "sink"));
    if (gst_pad_link(pad, sink.get()) != GST_PAD_LINK_OK) {
        GST_WARNING("cannot decode %s:%s", GST_DEBUG_PAD_NAME(pad));
        return;
    }
    router_.streamExpected();
    gst_element_sync_state_with_parent(decoder);
}

GstPad* GraphBuilder::throughPluginFilters(GstPad* pad) {
    if (!pluginFilters_) {
        return pad;
    }
    GstPad* current = pad;
    for (GstElement* filter : pluginFilters_->freeFilters()) {
        GstPtr<GstPad> sink(gst_element_get_static_pad(filter, "sink"));
        GstPtr<GstPad> src(gst_element_get_static_pad(filter, "src"));
        if (!sink || !src || gst_pad_is_linked(src.get())) {
            continue;
        }
        CapsPtr caps(gst_pad_get_current_caps(current));
        if (!caps) {
            caps.reset(gst_pad_query_caps(current, nullptr));
        }
        if (!caps) {
            continue;
        }
        const bool accepted = gst_caps_is_fixed(caps.get())
                                  ? gst_pad_query_accept_caps(sink.get(), caps.get())
                                  : gst_pad_can_link(current, sink.get());
        if (accepted && gst_pad_link(current, sink.get()) == GST_PAD_LINK_OK) {
            GST_DEBUG("stream passes plug-in filter %s", GST_OBJECT_NAME(filter));
            gst_element_sync_state_with_parent(filter);
            current = src.get();  // the filter keeps its pad
        }
    }
    return current;
}

bool GraphBuilder::addSource(const std::string& uri, bool follow) {
    GstElement* decoder = gst_element_factory_make("uridecodebin3", nullptr);
    if (!decoder) {
        GST_ERROR("uridecodebin3 is missing");
        return false;
    }
    g_object_set(decoder, "uri", uri.c_str(), nullptr);
    g_signal_connect(decoder, "pad-added", G_CALLBACK(&GraphBuilder::onPadAdded), this);
    {
        std::lock_guard guard(lock_);
        decoders_.push_back(refGst(decoder));
        sources_.emplace_back(refGst(decoder), uri);
    }
    if (!gst_bin_add(GST_BIN(pipeline_), decoder)) {
        return false;
    }
    prepareDecoder(decoder);
    if (follow) {
        gst_element_sync_state_with_parent(decoder);
    }
    return true;
}

GstElement* GraphBuilder::ownVideoSink() {
    std::lock_guard guard(lock_);
    return ownVideoSink_.get();
}

void GraphBuilder::onPadAdded(GstElement* /*decoder*/, GstPad* pad, gpointer self) {
    static_cast<GraphBuilder*>(self)->link(pad);
}

void GraphBuilder::link(GstPad* pad) {
    std::lock_guard guard(lock_);
    linkStream(pad);
    router_.streamLinked();
}

void GraphBuilder::linkStream(GstPad* pad) {
    const StreamKind kind = kindOf(pad);
    GST_DEBUG("decoded %s stream on %s:%s",
              kind == StreamKind::Audio ? "audio" : (kind == StreamKind::Video ? "video" : "other"),
              GST_DEBUG_PAD_NAME(pad));
    if (kind != StreamKind::Other) {
        pad = throughPluginFilters(pad);
    }
    if (kind == StreamKind::Audio) {
        if (GstPad* target = router_.claimAudioInput()) {
            // Decoders deliver any sample format; the channel's input takes a few.
            GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
            if (addAndLink(pad, convert, target)) {
                return;
            }
        }
    } else if (kind == StreamKind::Video) {
        GstPad* target = router_.claimVideoInput();
        if (!target) {
            target = ownVideoInput();
        }
        if (target && gst_pad_link(pad, target) == GST_PAD_LINK_OK) {
            return;
        }
    }
    GstPad* drop = dropInput(kind != StreamKind::Other);
    if (!drop || gst_pad_link(pad, drop) != GST_PAD_LINK_OK) {
        GST_WARNING("cannot link %s:%s anywhere", GST_DEBUG_PAD_NAME(pad));
    }
}

bool GraphBuilder::addAndLink(GstPad* pad, GstElement* element, GstPad* target) {
    if (!element || !gst_bin_add(GST_BIN(pipeline_), element)) {
        return false;
    }
    GstPtr<GstPad> sink(gst_element_get_static_pad(element, "sink"));
    GstPtr<GstPad> src(gst_element_get_static_pad(element, "src"));
    if (gst_pad_link(src.get(), target) != GST_PAD_LINK_OK) {
        gst_element_set_state(element, GST_STATE_NULL);
        gst_bin_remove(GST_BIN(pipeline_), element);
        return false;
    }
    gst_element_sync_state_with_parent(element);
    return gst_pad_link(pad, sink.get()) == GST_PAD_LINK_OK;
}

GstPad* GraphBuilder::ownVideoInput() {
    if (ownVideoSink_) {
        return nullptr;  // the own sink shows one stream
    }
    // Like a graph's default renderer: a window of its own on a display,
    // real-time pacing without one.
    const bool display = X11Display::available();
    GstElement* sink = makeBranchBin("Video Renderer",
                                     display ? "videoconvert ! autovideosink name=\"Video Output\""
                                             : "fakesink name=\"Video Output\" sync=true");
    if (!sink || !gst_bin_add(GST_BIN(pipeline_), sink)) {
        return nullptr;
    }
    ownVideoSink_ = refGst(sink);
    gst_element_sync_state_with_parent(sink);
    GstPtr<GstPad> pad(gst_element_get_static_pad(sink, "sink"));
    return pad.get();  // the element keeps its pad alive
}

GstPad* GraphBuilder::dropInput(bool prerolls) {
    const std::string name = "Dropped Stream " + std::to_string(++dropCount_);
    GstElement* sink = gst_element_factory_make("fakesink", name.c_str());
    if (!sink) {
        return nullptr;
    }
    g_object_set(sink, "sync", FALSE, "async", prerolls ? TRUE : FALSE, nullptr);
    if (!gst_bin_add(GST_BIN(pipeline_), sink)) {
        return nullptr;
    }
    gst_element_sync_state_with_parent(sink);
    GstPtr<GstPad> pad(gst_element_get_static_pad(sink, "sink"));
    return pad.get();
}

}  // namespace nerla
