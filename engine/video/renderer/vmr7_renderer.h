// IVMR7Renderer: the VMR-7 renderer object, drawing with ximagesink. It has
// no picture controls.
#pragma once

#include "video/renderer/vmr_renderer.h"

namespace nerla {

class IVMR7Renderer final : public VmrRenderer {
  public:
    explicit IVMR7Renderer(bool windowed) : VmrRenderer(windowed, WindowSinkKind::XImage, false) {}

    int32_t GetColorControlRange(NerlaColorRange&) override { return 0; }
    int32_t SetColorControl(int32_t, float) override { return 0; }
};

}  // namespace nerla
