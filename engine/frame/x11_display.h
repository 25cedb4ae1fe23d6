// The few X11 queries of the library frame: monitors and the active window.
#pragma once

#include <optional>
#include <vector>

#include "nerla.h"

namespace nerla {

class X11Display {
  public:
    // Monitors in XRandR order; nullopt when no display can be opened.
    static std::optional<std::vector<NerlaRect>> monitors();
    // True when a display can be opened.
    static bool available();
    // The window manager's active window, or 0.
    static NerlaWindow activeWindow();
};

}  // namespace nerla
