// The mixer in front of a windowed renderer's sink: a compositor whose first
// input is the video (stream 0) and whose second, while an overlay is shown,
// is the overlay picture. Stream alpha and output rectangles are kept per
// stream; only stream 0 has a picture here. The output keeps the size of the
// video.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "frame/gst_ptr.h"
#include "nerla.h"

namespace nerla {

struct NormalRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 1.0f;
    float bottom = 1.0f;
};

class VideoMixer {
  public:
    VideoMixer() = default;
    VideoMixer(const VideoMixer&) = delete;
    VideoMixer& operator=(const VideoMixer&) = delete;
    ~VideoMixer();

    // Adds the compositor and its output size filter to `bin`; `streams`
    // inputs can be addressed (at least one). False on failure.
    bool build(GstBin* bin, int32_t streams);
    void release();

    GstPad* videoInput() const { return videoPad_.get(); }  // borrowed
    GstElement* output() const { return sizeFilter_.get(); }

    // Alpha 0..1 of `stream`; false for a stream out of range or an alpha
    // outside 0..1.
    bool setAlpha(int32_t stream, float alpha);
    bool alpha(int32_t stream, float& alpha) const;
    // False for a stream out of range or an empty rectangle.
    bool setOutputRect(int32_t stream, const NormalRect& rect);

    // Shows `overlay` (see NerlaOverlayBitmap) over the video; false with
    // nothing changed when it names no picture or no place.
    bool showOverlay(const NerlaOverlayBitmap& overlay);
    void hideOverlay();
    // Shows or hides the overlay as the description's first field says;
    // false for a missing or unusable description.
    bool setOverlay(const NerlaOverlayBitmap* overlay);

  private:
    struct Stream {
        float alpha = 1.0f;
        NormalRect rect;
    };

    static GstPadProbeReturn onVideoEvent(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void videoSizeChanged(int32_t width, int32_t height);
    // With lock_ held.
    void placeVideo();
    void placeOverlay();
    void removeOverlay();

    GstPtr<GstBin> bin_;
    GstPtr<GstElement> compositor_;
    GstPtr<GstElement> sizeFilter_;
    GstPtr<GstPad> videoPad_;
    gulong probe_ = 0;

    mutable std::mutex lock_;
    std::vector<Stream> streams_;
    int32_t width_ = 0;  // of the video; 0 before it is known
    int32_t height_ = 0;
    GstPtr<GstElement> overlaySource_;
    GstPtr<GstPad> overlayPad_;
    NormalRect overlayRect_;
};

}  // namespace nerla
