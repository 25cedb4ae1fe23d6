#include "graph/direct_show.h"

#include <gst/audio/audio.h>
#include <gst/video/videooverlay.h>

#include "audio/audio_info.h"
#include "audio/audio_processor.h"
#include "audio/audio_renderer_factory.h"
#include "frame/library.h"
#include "frame/log.h"
#include "frame/stream_flags.h"
#include "graph/media_units.h"
#include "graph/splitter_attempt.h"
#include "video/renderer/basic_video_renderer.h"
#include "video/renderer/infinite_tee.h"
#include "video/renderer/renderer_branch.h"
#include "video/renderer/renderer_factory.h"
#include "video/renderer/renderer_selection.h"

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
    // No queued message reaches the handler after this.
    busWatch_.reset();
    sizeWatch_.stop();
    control_.reset();
    GstPtr<GstBus> bus(gst_pipeline_get_bus(pipeline_.get()));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    if (audioRenderer_) {
        audioRenderer_->Destroy();
        audioRenderer_.reset();
    }
    windows_.destroyAll();
    if (videoRenderer_) {
        videoRenderer_->Destroy();
        videoRenderer_.reset();
    }
    droppedAudio_.detach();
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
    control_ = std::make_unique<GraphControl>(pipeline_.get());

    const Library& library = Library::instance();
    audioRenderer_ = makeAudioRenderer(library.audioRendererChoice());
    if (!audioRenderer_->AttachToGraph(*this, library.audioRendererChoice())) {
        GST_INFO("audio renderer cannot attach; the channel has no sound");
        audioRenderer_->Destroy();
        audioRenderer_.reset();
    }
    videoRenderer_ = makeRenderer(chooseRenderer(flags_, library.videoRendererChoice()), flags_);
    if (videoRenderer_ && !videoRenderer_->AttachToGraph(*this, nullptr)) {
        GST_INFO("video renderer cannot attach; the graph's own sink may stand in");
        videoRenderer_->Destroy();
        videoRenderer_.reset();
    }

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
    GstPad* input = videoRenderer_->sinkPad();
    // Downstream first, so that data never meets a stopped element.
    RendererBranch::activateOwnerOf(input);
    return input;
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
    // In READY first: the decoder is prepared for PAUSED inside a READY pipeline.
    gst_element_set_state(GST_ELEMENT(pipeline_.get()), GST_STATE_READY);
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
        auto basic = std::make_unique<IBasicVideoRenderer>();
        if (basic->AttachToGraph(*this, nullptr) && basic->VerifyConnection(*this)) {
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
    watchVideoSize();
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
    watchVideoSize();
    return true;
}

int32_t IDirectShow::bindVideoWindow(NerlaWindow window, const NerlaRect* rect) {
    targetWindow_.store(window);
    return videoRenderer_ ? videoRenderer_->BindWindow(window, rect) : 1;
}

GstPad* IDirectShow::mainVideoInput() const {
    if (!videoRenderer_) {
        return nullptr;
    }
    if (GstPad* input = videoRenderer_->sinkPad()) {
        return input;
    }
    auto* basic = dynamic_cast<IBasicVideoRenderer*>(videoRenderer_.get());
    return basic ? basic->adoptedPad() : nullptr;
}

uint32_t IDirectShow::AddWindow(NerlaWindow window, int32_t type) {
    if (type == 0 || !pipeline_ || !control_) {
        return 0;
    }
    Stop();
    GstPtr<GstElement> tee = InfiniteTee::ensure(pipeline_.get(), mainVideoInput());
    if (!tee) {
        return 0;
    }
    std::unique_ptr<IVideoRenderer2> renderer = makeWindowRenderer(type);
    if (!renderer) {
        GST_INFO("channel %u: no renderer of type %d", handle_, type);
        return 0;
    }
    GstPtr<GstPad> output = InfiniteTee::newOutput(tee.get());
    if (!output || !renderer->AttachToGraph(*this, output.get()) ||
        !renderer->VerifyConnection(*this)) {
        renderer->Destroy();
        InfiniteTee::dropOutput(tee.get(), output.get());
        return 0;
    }
    const uint32_t id = windows_.add(std::move(renderer), window);
    // Prerolled again where it stands, the new window shows the frame too.
    control_->seek(control_->position().value_or(0));
    GST_INFO("channel %u: extra window %u", handle_, id);
    return id;
}

int32_t IDirectShow::RemoveWindow(uint32_t id) {
    if (!videoRenderer_ || !windows_.contains(id)) {
        return 0;
    }
    Stop();
    std::unique_ptr<IVideoRenderer2> renderer = windows_.remove(id);
    if (!renderer) {
        return 0;
    }
    renderer->Destroy();
    return 1;
}

IVideoRenderer2* IDirectShow::windowRenderer(uint32_t id) {
    return id == 0 ? videoRenderer_.get() : windows_.find(id);
}

void IDirectShow::watchBus() {
    GstPtr<GstBus> bus(gst_pipeline_get_bus(pipeline_.get()));
    busWatch_.reset(gst_bus_create_watch(bus.get()));
    g_source_set_callback(busWatch_.get(), G_SOURCE_FUNC(&IDirectShow::onBusMessage), this,
                          nullptr);
    g_source_attach(busWatch_.get(), context_.get());
}

void IDirectShow::watchVideoSize() {
    GstPad* pad = videoRenderer_ ? videoRenderer_->sinkPad() : nullptr;
    GstPtr<GstPad> own;
    if (!pad && graphVideoSink()) {
        own.reset(gst_element_get_static_pad(graphVideoSink(), "sink"));
        pad = own.get();
    }
    sizeWatch_.watch(pad);
}

GstBusSyncReply IDirectShow::onSyncMessage(GstBus* /*bus*/, GstMessage* message, gpointer self) {
    auto* channel = static_cast<IDirectShow*>(self);
    channel->waiter_.onMessage(message);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS && channel->control_) {
        channel->control_->sinksEnded();
    }
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
    try {
        static_cast<IDirectShow*>(self)->HandleGraphEvent(message);
    } catch (...) {
        GST_ERROR("exception stopped in the graph event handler");
    }
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
        default:
            break;
    }
    const GraphEvent event = graphEventOf(message, pipeline_.get());
    switch (event.code) {
        case GraphEventCode::Complete:
            if (!control_ || control_->endIsStale(gst_message_get_seqnum(message))) {
                GST_DEBUG("channel %u: end of stream from before the last seek", handle_);
                break;
            }
            GST_INFO("channel %u: end of stream", handle_);
            control_->endReached();
            if (!notifySync(NERLA_SYNC_END, 0)) {
                return;  // the callback freed the channel
            }
            if (loops(flags_)) {
                SetPosition(0, 0, NERLA_UNIT_SECONDS);
            } else {
                Stop();
            }
            break;
        case GraphEventCode::Repaint:
            notifySync(NERLA_SYNC_REPAINT, 0);
            break;
        case GraphEventCode::VideoSizeChanged:
            notifySync(NERLA_SYNC_SIZE_CHANGED, event.param1);
            break;
        case GraphEventCode::Paused:
            if (pausePending_.exchange(false)) {
                notifySync(NERLA_SYNC_PAUSED, 0);
            }
            break;
        case GraphEventCode::DeviceLost:
            if (!deviceLostReported_.exchange(true)) {
                GST_WARNING("channel %u: output device lost", handle_);
                notifySync(NERLA_SYNC_PAUSED, 0);
            }
            break;
        case GraphEventCode::None:
            break;
    }
}

bool IDirectShow::notifySync(uint32_t type, uintptr_t data1) {
    const NerlaSyncProc callback = syncCallback_.load();
    if (!callback) {
        return true;
    }
    const std::weak_ptr<int> alive = lifetime_;
    callback(handle_, type, data1, 0);
    return !alive.expired();
}

int32_t IDirectShow::SetSyncCallback(NerlaSyncProc callback) {
    syncCallback_.store(callback);
    return 1;
}

int32_t IDirectShow::RemoveSyncCallback() {
    return syncCallback_.exchange(nullptr) ? 1 : 0;
}

int32_t IDirectShow::Play() {
    if (!control_) {
        return 1;
    }
    const int32_t state = state_.load();
    if (state != NERLA_STATE_PAUSED && state != NERLA_STATE_STOPPED) {
        return 0;
    }
    pausePending_.store(false);
    deviceLostReported_.store(false);
    if (!control_->run()) {
        return 0;
    }
    state_.store(NERLA_STATE_PLAYING);
    return 1;
}

int32_t IDirectShow::Pause() {
    if (!control_) {
        return 1;
    }
    if (state_.load() != NERLA_STATE_PLAYING) {
        return 0;
    }
    pausePending_.store(true);
    if (!control_->pause()) {
        pausePending_.store(false);
        return 0;
    }
    state_.store(NERLA_STATE_PAUSED);
    return 1;
}

int32_t IDirectShow::Stop() {
    const int32_t state = state_.load();
    if (!control_ || (state != NERLA_STATE_PLAYING && state != NERLA_STATE_PAUSED)) {
        return 0;
    }
    // Stopped is paused: the pipeline stays prerolled.
    if (!control_->pause()) {
        return 0;
    }
    state_.store(NERLA_STATE_STOPPED);
    return 1;
}

std::optional<double> IDirectShow::frameRate() {
    if (!videoRenderer_) {
        setError(NERLA_ERROR_POSITION);
        return std::nullopt;
    }
    NerlaChannelInfo info{};
    if (!videoRenderer_->QueryVideoInfo(info) || !(info.framesPerSecond > 0.0f)) {
        return kDefaultFrameRate;
    }
    return info.framesPerSecond;
}

// The frame rate a unit needs (0 for the others); null when it needs one
// that the channel does not have.
std::optional<double> IDirectShow::rateForUnit(int32_t unit) {
    return unitNeedsFrameRate(unit) ? frameRate() : std::optional<double>(0.0);
}

double IDirectShow::GetLength(int32_t unit) {
    if (state_.load() == NERLA_STATE_NONE || !control_) {
        return 0.0;
    }
    const std::optional<double> fps = rateForUnit(unit);
    const std::optional<int64_t> length = fps ? control_->duration() : std::nullopt;
    return length ? lengthInUnit(*length, unit, *fps) : 0.0;
}

double IDirectShow::GetPosition(int32_t unit) {
    if (state_.load() == NERLA_STATE_NONE || !control_) {
        return 0.0;
    }
    const std::optional<double> fps = rateForUnit(unit);
    const std::optional<int64_t> position = fps ? control_->position() : std::nullopt;
    return position ? positionInUnit(*position, unit, *fps) : 0.0;
}

int32_t IDirectShow::SetPosition(uint32_t low, uint32_t high, int32_t unit) {
    if (state_.load() == NERLA_STATE_NONE) {
        return 0;
    }
    if (!control_) {
        setError(NERLA_ERROR_POSITION);
        return 0;
    }
    double fps = 0.0;
    if (unitNeedsFrameRate(unit)) {
        const std::optional<double> rate = frameRate();
        if (!rate) {
            return 0;
        }
        fps = *rate;
    }
    const auto value = static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
    return control_->seek(mediaTimeFromUnit(value, unit, fps)) ? 1 : 0;
}

int32_t IDirectShow::SetRate(double rate) {
    if (!control_) {
        setError(NERLA_ERROR_DEVICE);
        return 0;
    }
    control_->setRate(rate);
    setError(NERLA_OK);
    return 1;
}

double IDirectShow::GetRate() {
    if (!control_) {
        setError(NERLA_ERROR_DEVICE);
        return 1.0;
    }
    setError(NERLA_OK);
    return control_->rate();
}

int32_t IDirectShow::SetAudioDevice(int32_t choice) {
    std::lock_guard guard(audioRendererLock_);
    if (!audioRenderer_ || !control_) {
        setError(NERLA_ERROR_NOAUDIO);
        return 0;
    }
    Stop();
    // The old renderer leaves; what fed it feeds the new one.
    GstPad* input = audioRenderer_->sinkPad();
    GstPtr<GstPad> upstream(input ? gst_pad_get_peer(input) : nullptr);
    if (upstream) {
        gst_pad_unlink(upstream.get(), input);
    }
    audioRenderer_->Destroy();
    audioRenderer_.reset();
    std::unique_ptr<IAudioRenderer2> next = makeAudioRenderer(choice);
    const bool connected = upstream && next->AttachToGraph(*this, choice) &&
                           next->VerifyConnection(*this, upstream.get());
    if (connected) {
        audioRenderer_ = std::move(next);
    } else {
        GST_INFO("channel %u: audio output %d cannot take the sound", handle_, choice);
        next->Destroy();
        if (upstream) {
            dropAudio(upstream.get());
        }
    }
    // Removing the old sink stopped the stream that fed it: preroll again
    // from the start, as a stopped channel stands.
    SetPosition(0, 0, NERLA_UNIT_SECONDS);
    return connected ? 1 : 0;
}

void IDirectShow::dropAudio(GstPad* upstream) {
    GstElement* sink = gst_element_factory_make("fakesink", "Dropped Audio");
    if (!sink) {
        return;
    }
    g_object_set(sink, "sync", TRUE, nullptr);
    if (droppedAudio_.attach(pipeline_.get(), sink) &&
        gst_pad_link(upstream, droppedAudio_.sinkPad()) == GST_PAD_LINK_OK) {
        droppedAudio_.activate();
    }
}

bool IDirectShow::fillAudioInfo(NerlaChannelInfo& info) {
    if (GstPad* input = processor_.sinkPad()) {
        return audioInfoFromPad(input, info);
    }
    if (audioRenderer_) {
        return audioRenderer_->QueryAudioInfo(info);
    }
    setError(NERLA_ERROR_NOAUDIO);
    return false;
}

int32_t IDirectShow::GetInfo(NerlaChannelInfo& info) {
    info = NerlaChannelInfo{};
    const bool video = videoRenderer_ && videoRenderer_->QueryVideoInfo(info);
    const bool audio = fillAudioInfo(info);
    return video && audio ? 1 : 0;
}

}  // namespace nerla
