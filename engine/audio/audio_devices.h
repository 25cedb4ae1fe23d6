// The desktop's audio outputs, in the order the device monitor gives them.
#pragma once

#include <gst/gst.h>

#include <string>
#include <vector>

#include "frame/gst_ptr.h"
#include "nerla.h"

namespace nerla {

struct AudioDevice {
    std::string name;  // the display name
    NerlaGUID guid;    // stable for the device's own id
    GstPtr<GstDevice> device;
};

std::vector<AudioDevice> listAudioSinks();

}  // namespace nerla
