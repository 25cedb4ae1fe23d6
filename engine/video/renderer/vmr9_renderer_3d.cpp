#include "video/renderer/vmr9_renderer_3d.h"

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {

bool IVMR9Renderer3D::AttachToGraph(IDirectShow&, GstPad*) {
    GST_INFO("no stereoscopic presenter in this build");
    return false;
}

}  // namespace nerla
