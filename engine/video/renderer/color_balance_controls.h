// The picture controls (1 brightness, 2 contrast, 4 hue, 8 saturation) of an
// element offering GstColorBalance: the sink itself or a videobalance in
// front of it. Values are in the channel's own units; the default reported
// is the middle of its range, where the controls leave the picture as it is.
#pragma once

#include <gst/video/colorbalance.h>

#include <cstdint>

#include "frame/gst_ptr.h"
#include "nerla.h"

namespace nerla {

class ColorBalanceControls {
  public:
    void attach(GstElement* element);  // keeps a reference; null: none
    void reset() { element_.reset(); }
    bool available() const { return element_ != nullptr; }

    // Fills the range of `range.control`; false for another number.
    bool range(NerlaColorRange& range) const;
    // False for an unknown number or a value outside the range.
    bool set(int32_t control, float value);
    // The current value; false for an unknown number.
    bool value(int32_t control, float& value) const;

  private:
    GstColorBalanceChannel* channel(int32_t control) const;

    GstPtr<GstElement> element_;
};

}  // namespace nerla
