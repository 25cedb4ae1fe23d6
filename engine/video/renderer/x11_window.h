// The X11 query of the window functions: a window's client area.
#pragma once

#include <optional>

#include "nerla.h"

namespace nerla {

class X11Window {
  public:
    // (0, 0, width, height) of `window`; nullopt without a display or for a
    // window that does not exist.
    static std::optional<NerlaRect> clientRect(NerlaWindow window);
};

}  // namespace nerla
