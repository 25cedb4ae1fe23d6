#include "video/renderer/pad_video_info.h"

#include <gst/video/video.h>

#include "frame/gst_ptr.h"

namespace nerla {

bool videoInfoFromPad(GstPad* pad, NerlaChannelInfo& info) {
    if (!pad) {
        return false;
    }
    CapsPtr caps(gst_pad_get_current_caps(pad));
    GstVideoInfo video;
    if (!caps || !gst_video_info_from_caps(&video, caps.get())) {
        return false;
    }
    info.videoWidth = GST_VIDEO_INFO_WIDTH(&video);
    info.videoHeight = GST_VIDEO_INFO_HEIGHT(&video);
    info.framesPerSecond = GST_VIDEO_INFO_FPS_N(&video) > 0 && GST_VIDEO_INFO_FPS_D(&video) > 0
                               ? static_cast<float>(GST_VIDEO_INFO_FPS_N(&video)) /
                                     static_cast<float>(GST_VIDEO_INFO_FPS_D(&video))
                               : kDefaultVideoFrameRate;
    return true;
}

}  // namespace nerla
