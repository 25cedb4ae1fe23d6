#include "video/renderer/color_balance_controls.h"

#include <cmath>
#include <string_view>

namespace nerla {
namespace {

const char* labelOf(int32_t control) {
    switch (control) {
        case 1:
            return "BRIGHTNESS";
        case 2:
            return "CONTRAST";
        case 4:
            return "HUE";
        case 8:
            return "SATURATION";
        default:
            return nullptr;
    }
}

}  // namespace

void ColorBalanceControls::attach(GstElement* element) {
    element_ = element && GST_IS_COLOR_BALANCE(element) ? refGst(element) : nullptr;
}

GstColorBalanceChannel* ColorBalanceControls::channel(int32_t control) const {
    const char* wanted = labelOf(control);
    if (!element_ || !wanted) {
        return nullptr;
    }
    // Labels differ between sinks ("XV_BRIGHTNESS", "BRIGHTNESS").
    for (const GList* item = gst_color_balance_list_channels(GST_COLOR_BALANCE(element_.get()));
         item; item = item->next) {
        auto* candidate = GST_COLOR_BALANCE_CHANNEL(item->data);
        if (std::string_view(candidate->label).find(wanted) != std::string_view::npos) {
            return candidate;
        }
    }
    return nullptr;
}

bool ColorBalanceControls::range(NerlaColorRange& range) const {
    const GstColorBalanceChannel* found = channel(range.control);
    if (!found) {
        return false;
    }
    range.minimum = static_cast<float>(found->min_value);
    range.maximum = static_cast<float>(found->max_value);
    range.defaultValue = static_cast<float>(
        (static_cast<int64_t>(found->min_value) + static_cast<int64_t>(found->max_value)) / 2);
    range.step = 1.0f;
    return true;
}

bool ColorBalanceControls::set(int32_t control, float value) {
    GstColorBalanceChannel* found = channel(control);
    if (!found || !std::isfinite(value) || value < static_cast<float>(found->min_value) ||
        value > static_cast<float>(found->max_value)) {
        return false;
    }
    gst_color_balance_set_value(GST_COLOR_BALANCE(element_.get()), found,
                                static_cast<gint>(std::lround(value)));
    return true;
}

bool ColorBalanceControls::value(int32_t control, float& value) const {
    GstColorBalanceChannel* found = channel(control);
    if (!found) {
        return false;
    }
    value =
        static_cast<float>(gst_color_balance_get_value(GST_COLOR_BALANCE(element_.get()), found));
    return true;
}

}  // namespace nerla
