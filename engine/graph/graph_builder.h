// The engine's graph builder: decodes a medium with uridecodebin3 and links
// each decoded stream to the channel's audio or video input. Streams the
// channel does not take are dropped into a fakesink; video with no renderer
// of the channel goes to the graph's own video sink.
#pragma once

#include <gst/gst.h>

#include <mutex>
#include <string>
#include <vector>

#include "frame/gst_ptr.h"
#include "graph/plugin_filter_queue.h"

namespace nerla {

class StreamRouter {
  public:
    virtual ~StreamRouter() = default;
    // The pad for the channel's decoded audio or video, ready to receive
    // data; null when the channel takes no (more) stream of that kind.
    // Called with the builder's lock held, on streaming threads.
    virtual GstPad* claimAudioInput() = 0;
    virtual GstPad* claimVideoInput() = 0;
    // A decoded stream has been linked (to the channel or dropped).
    virtual void streamLinked() = 0;
    // A splitter plug-in's output will be decoded into one more stream.
    virtual void streamExpected() = 0;
};

class GraphBuilder {
  public:
    GraphBuilder(GstPipeline* pipeline, StreamRouter& router);
    ~GraphBuilder();
    GraphBuilder(const GraphBuilder&) = delete;
    GraphBuilder& operator=(const GraphBuilder&) = delete;

    // Adds a decoder for `uri` to the pipeline (in READY or above); it links
    // its streams as they appear. When `follow` is set it joins the
    // pipeline's state.
    bool addSource(const std::string& uri, bool follow);

    // Replaces every decoder added by addSource with a new one for the same
    // URI (a decoder that stalled before exposing anything).
    void restartSources();

    // Renders the source pads of `element` (a splitter plug-in's) that are
    // unlinked now or appear later, each through a decoder of its own.
    void renderOutputs(GstElement* element);

    // Decoded streams pass through the free filters of `queue` whose input
    // accepts them, before they reach the channel.
    void setPluginFilters(PluginFilterQueue* queue) { pluginFilters_ = queue; }

    // The video sink the builder put in itself (borrowed), or null.
    GstElement* ownVideoSink();

  private:
    static void onPadAdded(GstElement* decoder, GstPad* pad, gpointer self);
    static void onOutputAdded(GstElement* element, GstPad* pad, gpointer self);
    void renderPad(GstPad* pad);
    GstPad* throughPluginFilters(GstPad* pad);
    void link(GstPad* pad);
    void linkStream(GstPad* pad);
    GstPad* ownVideoInput();
    // A sink for a stream nobody takes; audio and video ones preroll like
    // real sinks, sparse ones must not hold the preroll up.
    GstPad* dropInput(bool prerolls);
    bool addAndLink(GstPad* pad, GstElement* element, GstPad* target);

    GstPipeline* pipeline_;
    StreamRouter& router_;
    std::mutex lock_;
    std::vector<GstPtr<GstElement>> decoders_;
    std::vector<std::pair<GstPtr<GstElement>, std::string>> sources_;  // with their URIs
    std::vector<GstPtr<GstElement>> outputs_;  // splitter elements watched for pads
    PluginFilterQueue* pluginFilters_ = nullptr;
    GstPtr<GstElement> ownVideoSink_;
    unsigned dropCount_ = 0;
};

}  // namespace nerla
