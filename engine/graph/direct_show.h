// IDirectShow: one opened medium with its pipeline, audio processor, audio
// and video renderer objects and its graph notifications.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "audio/audio_renderer.h"
#include "frame/gst_ptr.h"
#include "graph/graph_builder.h"
#include "graph/graph_control.h"
#include "graph/graph_events.h"
#include "graph/graph_waiter.h"
#include "graph/pipeline_branch.h"
#include "graph/plugin_filter_queue.h"
#include "graph/render_result.h"
#include "graph/video_size_watch.h"
#include "nerla.h"
#include "video/renderer/extra_window_list.h"
#include "video/renderer/video_renderer.h"

namespace nerla {

class IDirectShow : public StreamRouter {
  public:
    explicit IDirectShow(uint32_t flags);
    ~IDirectShow() override;
    IDirectShow(const IDirectShow&) = delete;
    IDirectShow& operator=(const IDirectShow&) = delete;

    uint32_t handle() const { return handle_; }
    void setHandle(uint32_t handle) { handle_ = handle; }

    // Open operations: true on success, else false with the last-error code set.
    bool OpenFile(const std::string& path);
    bool OpenURL(const std::string& url);
    bool AddFile(const std::string& path);

    uint32_t GetFlags() const { return flags_; }
    GstPipeline* GetGraph() const { return pipeline_.get(); }
    int32_t GetState() const { return state_.load(); }

    // Transport: 0 when the state does not allow it or the pipeline refused.
    int32_t Play();
    int32_t Pause();
    int32_t Stop();
    // In the units of nerla.h; 0.0 when unknown.
    double GetLength(int32_t unit);
    double GetPosition(int32_t unit);
    // `high`:`low` is a whole number in `unit`.
    int32_t SetPosition(uint32_t low, uint32_t high, int32_t unit);
    int32_t SetRate(double rate);
    double GetRate();
    // 1 when both the video and the audio part were filled.
    int32_t GetInfo(NerlaChannelInfo& info);
    int32_t SetSyncCallback(NerlaSyncProc callback);
    int32_t RemoveSyncCallback();

    // The window the video goes to; set before opening so that a sink that
    // asks for a window while prerolling gets this one.
    void setTargetWindow(NerlaWindow window) { targetWindow_.store(window); }
    // Shows the video in `window` (creation and Nerla_ChannelSetWindow).
    int32_t bindVideoWindow(NerlaWindow window, const NerlaRect* rect);

    // Extra output windows: a renderer object of `type` (1..6) fed through
    // the "Infinite TEE"; the channel is left stopped. 0 on failure.
    uint32_t AddWindow(NerlaWindow window, int32_t type);
    // 1 when the window existed and its renderer object is gone.
    int32_t RemoveWindow(uint32_t id);
    // The renderer object of window `id` (0: the channel's own), or null.
    IVideoRenderer2* windowRenderer(uint32_t id);

    IAudioRenderer2* audioRenderer() const { return audioRenderer_.get(); }
    // Runs f(the audio renderer object, or null) while no exchange can
    // replace it (attributes set from other threads).
    template <typename F>
    auto withAudioRenderer(F&& f) {
        std::lock_guard guard(audioRendererLock_);
        return f(audioRenderer_.get());
    }
    // Stops the channel and plays its audio through the renderer for
    // `choice` from now on (at volume 100, balance 0); 0 with the channel
    // left without an audio renderer when that one cannot take it.
    int32_t SetAudioDevice(int32_t choice);
    IVideoRenderer2* videoRenderer() const { return videoRenderer_.get(); }
    GstElement* audioProcessor() const { return processor_.element(); }
    // The video sink the graph builder inserted itself (borrowed), or null.
    GstElement* graphVideoSink() const;

  protected:
    // A bus message on the thread that created the channel.
    virtual void HandleGraphEvent(GstMessage* message);
    // Calls the sync callback, if set; false when the callback freed the channel.
    bool notifySync(uint32_t type, uintptr_t data1);

  private:
    GstPad* claimAudioInput() override;
    GstPad* claimVideoInput() override;
    void streamLinked() override;
    void streamExpected() override;

    bool createGraph();
    // A local medium gets one restart of a decoder that stalled.
    RenderResult render(const std::string& uri, std::chrono::milliseconds timeout, bool local);
    void finishGraph();
    bool openUri(const std::string& uri, std::chrono::milliseconds timeout, bool local);
    void watchBus();
    void watchVideoSize();
    // The video's frame rate; null with NERLA_ERROR_POSITION without video.
    std::optional<double> frameRate();
    std::optional<double> rateForUnit(int32_t unit);
    bool fillAudioInfo(NerlaChannelInfo& info);
    // Audio that no renderer takes any more goes on at its pace into a sink
    // that discards it.
    void dropAudio(GstPad* upstream);
    // The pad decoded video enters the channel's own renderer by, or null.
    GstPad* mainVideoInput() const;

    static GstBusSyncReply onSyncMessage(GstBus* bus, GstMessage* message, gpointer self);
    static gboolean onBusMessage(GstBus* bus, GstMessage* message, gpointer self);

    const uint32_t flags_;
    uint32_t handle_ = 0;
    std::atomic<int32_t> state_{NERLA_STATE_NONE};
    std::atomic<NerlaWindow> targetWindow_{0};
    std::atomic<NerlaSyncProc> syncCallback_{nullptr};
    std::atomic<bool> pausePending_{false};
    // A failing output reports every buffer; the host hears of it once per Play.
    std::atomic<bool> deviceLostReported_{false};
    // Expires with the channel; lets an event handler see a callback free it.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);

    GstPtr<GstPipeline> pipeline_;
    std::mutex audioRendererLock_;  // exchanging audioRenderer_ against its users
    std::unique_ptr<IAudioRenderer2> audioRenderer_;
    PipelineBranch droppedAudio_;
    PipelineBranch processor_;
    std::unique_ptr<IVideoRenderer2> videoRenderer_;
    ExtraWindowList windows_;
    std::unique_ptr<GraphBuilder> builder_;
    PluginFilterQueue pluginFilters_;
    GraphWaiter waiter_;
    std::unique_ptr<GraphControl> control_;
    VideoSizeWatch sizeWatch_;
    bool audioClaimed_ = false;  // guarded by the builder's lock
    bool videoClaimed_ = false;
    MainContextPtr context_;
    SourcePtr busWatch_;
};

}  // namespace nerla
