#include "video/renderer/overlay_picture.h"

#include <algorithm>

namespace nerla {

OverlayPicture makeOverlayPicture(const NerlaOverlayBitmap& overlay) {
    const NerlaBitmap* bitmap = overlay.bitmap;
    if (!bitmap || !bitmap->pixels || bitmap->width <= 0 || bitmap->height <= 0 ||
        bitmap->stride < bitmap->width * 4) {
        return {};
    }
    const int32_t left = std::clamp(overlay.sourceLeft, 0, bitmap->width);
    const int32_t right = std::clamp(overlay.sourceRight, 0, bitmap->width);
    const int32_t top = std::clamp(overlay.sourceTop, 0, bitmap->height);
    const int32_t bottom = std::clamp(overlay.sourceBottom, 0, bitmap->height);
    if (right <= left || bottom <= top) {
        return {};
    }
    OverlayPicture picture;
    picture.width = right - left;
    picture.height = bottom - top;
    const size_t rowBytes = static_cast<size_t>(picture.width) * 4;
    picture.pixels.reset(gst_buffer_new_allocate(nullptr, rowBytes * picture.height, nullptr));
    if (!picture.pixels) {
        return {};
    }
    GstMapInfo map;
    if (!gst_buffer_map(picture.pixels.get(), &map, GST_MAP_WRITE)) {
        return {};
    }
    // COLORREF: red in the low byte.
    const uint8_t keyRed = overlay.colorKey & 0xff;
    const uint8_t keyGreen = (overlay.colorKey >> 8) & 0xff;
    const uint8_t keyBlue = (overlay.colorKey >> 16) & 0xff;
    for (int32_t y = 0; y < picture.height; ++y) {
        const uint8_t* source = bitmap->pixels + static_cast<size_t>(top + y) * bitmap->stride +
                                static_cast<size_t>(left) * 4;
        uint8_t* target = map.data + static_cast<size_t>(y) * rowBytes;
        for (int32_t x = 0; x < picture.width; ++x, source += 4, target += 4) {
            target[0] = source[0];
            target[1] = source[1];
            target[2] = source[2];
            const bool keyed = source[0] == keyBlue && source[1] == keyGreen && source[2] == keyRed;
            target[3] = keyed ? 0 : 255;
        }
    }
    gst_buffer_unmap(picture.pixels.get(), &map);
    return picture;
}

}  // namespace nerla
