#include "video/renderer/vmr9_renderer.h"

namespace nerla {

int32_t IVMR9Renderer::GetColorControlRange(NerlaColorRange& range) {
    return chain().colors().range(range) ? 1 : 0;
}

int32_t IVMR9Renderer::SetColorControl(int32_t control, float value) {
    ColorBalanceControls& colors = chain().colors();
    if (!colors.available()) {
        return 0;
    }
    if (control != 1 && control != 2 && control != 4 && control != 8) {
        return 1;  // no control flagged
    }
    return colors.set(control, value) ? 1 : 0;
}

}  // namespace nerla
