// nerlaplay's video requests: through the engine's exports when this build
// has them, otherwise through the engine's video sink in the pipeline.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <string>

#include "nerla.h"

class VideoOutput {
  public:
    VideoOutput(NerlaHandle channel, GstPipeline* pipeline);
    ~VideoOutput();
    VideoOutput(const VideoOutput&) = delete;
    VideoOutput& operator=(const VideoOutput&) = delete;

    // The engine's stereoscopic sink is in the pipeline.
    bool presenterSink() const { return sink_ != nullptr; }
    // Attribute 5: view mode, 666/667 eye swap, 9000+ eye factor.
    bool setViewValue(int value);
    bool bindWindow(NerlaWindow window);
    // The size the picture is drawn at (the window's or the offscreen one).
    bool resize(int width, int height);
    bool repaint(NerlaWindow window);
    // Frames the engine's sink presented so far (0 without it).
    uint64_t framesPresented() const;
    // The presented picture as a PNG file.
    bool writeSnapshot(const std::string& path) const;

  private:
    NerlaHandle channel_;
    GstElement* sink_ = nullptr;
};
