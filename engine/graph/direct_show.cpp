#include "graph/direct_show.h"

#include <gst/video/videooverlay.h>

#include "audio/audio_processor.h"
#include "audio/audio_renderer_factory.h"
#include "frame/library.h"
#include "frame/log.h"
#include "graph/splitter_attempt.h"
#include "video/renderer/basic_video_renderer.h"

#define GST_CAT_DEFAULT nerla_graph_debug

namespace nerla {
namespace {

// Sanitizer builds run several times slower; their waits are longer.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSlowdown = 4;
#else
constexpr int kSlowdown = 1;
#endif
// A bad file normally fails at once; a decoder that stalls (or swallows a
// demuxer's error) shows no progress and is given up after the restarts.
constexpr std::chrono::milliseconds kFileOpenTimeout{10000 * kSlowdown};
constexpr std::chrono::milliseconds kUrlOpenTimeout{30000 * kSlowdown};
// A local file shows its streams within milliseconds, even on a busy machine.
constexpr std::chrono::milliseconds kFileStallTimeout{2000 * kSlowdown};
constexpr int kStallRestarts = 3;

}  // namespace

IDirectShow::IDirectShow(uint32_t flags) : flags_(flags) {}

IDirectShow::~IDirectShow() {
    if (!pipeline_) {
        return;
    }
    // Stopping joins the streaming threads; nothing calls back after it.
    gst_element_set_state(GST_ELEMENT(pipeline_.get()), GST_STATE_NULL);
    state_.store(NERLA_STATE_STOPPED);
    busWatch_.reset();
    GstPtr<GstBus> bus(gst_pipeline_get_bus(pipeline_.get()));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    if (audioRenderer_) {
        audioRenderer_->Destroy();
        audioRenderer_.reset();
    }
    if (videoRenderer_) {
        videoRenderer_->Destroy();
        videoRenderer_.reset();
    }
    processor_.detach();
    builder_.reset();
    pipeline_.reset();
    GST_DEBUG("channel %u destroyed", handle_);
}

bool IDirectShow::createGraph() {
    static std::atomic<unsigned> serial{0};
    const std::string name = "Nerla channel " + std::to_string(++serial);
    GstElement* pipeline = gst_pipeline_new(name.c_str());
    if (!pipeline) {
        setError(NERLA_ERROR_GRAPH);
        return false;
    }
    pipeline_.reset(GST_PIPELINE(gst_object_ref_sink(pipeline)));
    GstPtr<GstBus> bus(gst_pipeline_get_bus(pipeline_.get()));
    gst_bus_set_sync_handler(bus.get(), &IDirectShow::onSyncMessage, this, nullptr);
    state_.store(NERLA_STATE_STOPPED);

    const Library& library = Library::instance();
    audioRenderer_ = makeAudioRenderer(library.audioRendererChoice());
    if (!audioRenderer_->AttachToGraph(*this, library.audioRendererChoice())) {
        GST_INFO("audio renderer cannot attach; the channel has no sound");
        audioRenderer_->Destroy();
        audioRenderer_.reset();
    }
    // The stereoscopic, mixing and configured renderers attach here; until
    // then the basic renderer adopts the graph's own sink after rendering.

    if (!processor_.attach(pipeline_.get(), makeAudioProcessor())) {
        GST_WARNING("cannot add the audio processor");
    }
    builder_ = std::make_unique<GraphBuilder>(pipeline_.get(), *this);
    pluginFilters_.fill(pipeline_.get());
    builder_->setPluginFilters(&pluginFilters_);
    context_.reset(g_main_context_ref_thread_default());
    return true;
}

GstPad* IDirectShow::claimAudioInput() {
    if (audioClaimed_ || !audioRenderer_) {
        return nullptr;
    }
    GstPad* rendererPad = audioRenderer_->sinkPad();
    GstElement* processor = processor_.element();
    if (!rendererPad) {
        return nullptr;
    }
    if (processor) {
        GstPtr<GstPad> out(gst_element_get_static_pad(processor, "src"));
        if (gst_pad_link(out.get(), rendererPad) != GST_PAD_LINK_OK) {
            return nullptr;
        }
    }
    audioClaimed_ = true;
    // Downstream first, so that data never meets a stopped element.
    audioRenderer_->Activate();
    if (processor) {
        processor_.activate();
        return processor_.sinkPad();
    }
    return rendererPad;
}

GstPad* IDirectShow::claimVideoInput() {
    if (videoClaimed_ || !videoRenderer_ || !videoRenderer_->sinkPad()) {
        return nullptr;
    }
    videoClaimed_ = true;
    return videoRenderer_->sinkPad();
}

void IDirectShow::streamLinked() {
    waiter_.onStreamLinked();
}

void IDirectShow::streamExpected() {
    waiter_.expectStream();
}

GstElement* IDirectShow::graphVideoSink() const {
    return builder_ ? builder_->ownVideoSink() : nullptr;
}

RenderResult IDirectShow::render(const std::string& uri, std::chrono::milliseconds timeout,
                                 bool local) {
    waiter_.arm();
    // A splitter plug-in gets the medium first.
    GCharPtr path(g_str_has_prefix(uri.c_str(), "file:")
                      ? g_filename_from_uri(uri.c_str(), nullptr, nullptr)
                      : nullptr);
    const bool split = path ? trySplitters(pipeline_.get(), *builder_, path.get(), false)
                            : trySplitters(pipeline_.get(), *builder_, uri, true);
    if (!split && !builder_->addSource(uri, false)) {
        return RenderResult::Format;
    }
    if (gst_element_set_state(GST_ELEMENT(pipeline_.get()), GST_STATE_PAUSED) ==
        GST_STATE_CHANGE_FAILURE) {
        // The error message that explains it is already with the waiter.
        const RenderResult result =
            waiter_.wait(GST_ELEMENT(pipeline_.get()), std::chrono::milliseconds(0));
        return result == RenderResult::Ok ? RenderResult::Format : result;
    }
    if (split || !local) {
        return waiter_.wait(GST_ELEMENT(pipeline_.get()), timeout);
    }
    // The decoder now and then stalls before exposing anything (more often on
    // a busy machine): restart it, a few times at most.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    RenderResult result = RenderResult::Stalled;
    for (int attempt = 0; attempt < kStallRestarts && result == RenderResult::Stalled; ++attempt) {
        if (attempt > 0) {
            waiter_.arm();
            builder_->restartSources();
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        result = waiter_.wait(GST_ELEMENT(pipeline_.get()),
                              std::max(left, std::chrono::milliseconds(0)), kFileStallTimeout);
    }
    return result;
}

void IDirectShow::finishGraph() {
    pluginFilters_.removeUnconnected(pipeline_.get());
    if (audioRenderer_ && !audioRenderer_->VerifyConnection(*this, nullptr)) {
        audioRenderer_->Destroy();
        audioRenderer_.reset();
    }
    if (videoRenderer_ && !videoRenderer_->VerifyConnection(*this)) {
        videoRenderer_->Destroy();
        videoRenderer_.reset();
    }
    if (processor_.element() && !processor_.sinkLinked()) {
        GST_DEBUG("no audio reaches the processor; removing it");
        processor_.detach();
    }
    if (!videoRenderer_) {
        auto basic = std::make_unique<CBasicVideoRenderer>();
        if (basic->AttachToGraph(*this) && basic->VerifyConnection(*this)) {
            videoRenderer_ = std::move(basic);
        } else {
            basic->Destroy();
        }
    }
}

bool IDirectShow::openUri(const std::string& uri, std::chrono::milliseconds timeout, bool local) {
    if (!createGraph()) {
        return false;
    }
    GST_INFO("opening %s", uri.c_str());
    const RenderResult result = render(uri, timeout, local);
    finishGraph();
    if (result != RenderResult::Ok) {
        applyRenderResult(result);
        return false;
    }
    applyRenderResult(result);
    state_.store(NERLA_STATE_STOPPED);
    watchBus();
    return true;
}

bool IDirectShow::OpenFile(const std::string& path) {
    GError* raw = nullptr;
    GCharPtr uri(gst_filename_to_uri(path.c_str(), &raw));
    ErrorPtr error(raw);
    if (!uri || path.empty()) {
        setError(NERLA_ERROR_FORMAT);
        return false;
    }
    return openUri(uri.get(), kFileOpenTimeout, true);
}

bool IDirectShow::OpenURL(const std::string& url) {
    if (!gst_uri_is_valid(url.c_str())) {
        setError(NERLA_ERROR_FORMAT);
        return false;
    }
    return openUri(url, kUrlOpenTimeout, false);
}

bool IDirectShow::AddFile(const std::string& path) {
    if (!pipeline_) {
        setError(NERLA_ERROR_GRAPH);
        return false;
    }
    GError* raw = nullptr;
    GCharPtr uri(gst_filename_to_uri(path.c_str(), &raw));
    ErrorPtr error(raw);
    if (!uri || path.empty()) {
        setError(NERLA_ERROR_FORMAT);
        return false;
    }
    waiter_.arm(true);
    RenderResult result = RenderResult::Format;
    if (builder_->addSource(uri.get(), true)) {
        result = waiter_.wait(GST_ELEMENT(pipeline_.get()), kFileOpenTimeout);
    }
    finishGraph();
    if (!applyRenderResult(result)) {
        return false;
    }
    state_.store(NERLA_STATE_STOPPED);
    return true;
}

int32_t IDirectShow::bindVideoWindow(NerlaWindow window, const NerlaRect* rect) {
    targetWindow_.store(window);
    return videoRenderer_ ? videoRenderer_->BindWindow(window, rect) : 1;
}

void IDirectShow::watchBus() {
    GstPtr<GstBus> bus(gst_pipeline_get_bus(pipeline_.get()));
    busWatch_.reset(gst_bus_create_watch(bus.get()));
    g_source_set_callback(busWatch_.get(), G_SOURCE_FUNC(&IDirectShow::onBusMessage), this,
                          nullptr);
    g_source_attach(busWatch_.get(), context_.get());
}

GstBusSyncReply IDirectShow::onSyncMessage(GstBus* /*bus*/, GstMessage* message, gpointer self) {
    auto* channel = static_cast<IDirectShow*>(self);
    channel->waiter_.onMessage(message);
    if (gst_is_video_overlay_prepare_window_handle_message(message)) {
        const NerlaWindow window = channel->targetWindow_.load();
        if (window) {
            gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(GST_MESSAGE_SRC(message)),
                                                window);
        }
    }
    return GST_BUS_PASS;
}

gboolean IDirectShow::onBusMessage(GstBus* /*bus*/, GstMessage* message, gpointer self) {
    static_cast<IDirectShow*>(self)->HandleGraphEvent(message);
    return G_SOURCE_CONTINUE;
}

void IDirectShow::HandleGraphEvent(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_WARNING: {
            GError* raw = nullptr;
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
                gst_message_parse_error(message, &raw, nullptr);
            } else {
                gst_message_parse_warning(message, &raw, nullptr);
            }
            ErrorPtr error(raw);
            GST_WARNING("channel %u: %s from %s", handle_, error ? error->message : "?",
                        GST_OBJECT_NAME(GST_MESSAGE_SRC(message)));
            break;
        }
        case GST_MESSAGE_EOS:
            GST_INFO("channel %u: end of stream", handle_);
            break;
        default:
            break;
    }
}

}  // namespace nerla
