// IVMR9Renderer: the VMR-9 renderer object, drawing with xvimagesink (or
// ximagesink where the X server has no XVideo). Its picture controls are the
// sink's own, else a videobalance in front of the mixer.
#pragma once

#include "video/renderer/vmr_renderer.h"

namespace nerla {

class IVMR9Renderer final : public VmrRenderer {
  public:
    explicit IVMR9Renderer(bool windowed) : VmrRenderer(windowed, WindowSinkKind::XVideo, true) {}

    int32_t GetColorControlRange(NerlaColorRange& range) override;
    // Only the named control changes; another number changes nothing.
    int32_t SetColorControl(int32_t control, float value) override;
};

}  // namespace nerla
