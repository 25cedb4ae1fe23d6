// The picture of an overlay bitmap: the source rectangle of the bitmap as
// BGRA, with the pixels of the colour key made transparent.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <memory>

#include "frame/gst_ptr.h"
#include "nerla.h"

namespace nerla {

struct OverlayPicture {
    BufferPtr pixels;  // width * 4 bytes a row, top row first
    int32_t width = 0;
    int32_t height = 0;
};

// Null pixels when the description names no bitmap or an empty part of it.
OverlayPicture makeOverlayPicture(const NerlaOverlayBitmap& overlay);

}  // namespace nerla
