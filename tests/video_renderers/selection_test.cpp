// Which renderer object a channel gets, and the overlay picture made from a
// bitmap with a colour key.
#include <gtest/gtest.h>

#include <vector>

#include "frame/log.h"
#include "video/renderer/overlay_picture.h"
#include "video/renderer/renderer_selection.h"

namespace {

using nerla::chooseRenderer;
using nerla::RendererChoice;

TEST(RendererSelection, FlagWordFirstThenConfiguration) {
    struct Case {
        uint32_t flags;
        int32_t configured;
        RendererChoice expected;
    };
    const Case cases[] = {
        // A layout pattern wins over the configuration.
        {0x80123456u, 4, RendererChoice::Stereoscopic},
        {0x432100u, 6, RendererChoice::Stereoscopic},
        {0x876543u, 1, RendererChoice::Stereoscopic},
        // 2D pattern with 3D Vision: the stereoscopic object stands in.
        {0x1E76543u, 2, RendererChoice::Stereoscopic},
        // An incomplete pattern counts for nothing.
        {0x123450u, 3, RendererChoice::Vmr7Windowless},
        // Mixing falls through to the configuration for now.
        {0x60000000u, 5, RendererChoice::Evr},
        {0x60000000u, 7, RendererChoice::GraphOwn},
        {0, 1, RendererChoice::Vmr7Windowed},
        {0, 2, RendererChoice::Vmr9Windowed},
        {0, 3, RendererChoice::Vmr7Windowless},
        {0, 4, RendererChoice::Vmr9Windowless},
        {0, 5, RendererChoice::Evr},
        {0, 6, RendererChoice::Null},
        {0, 7, RendererChoice::GraphOwn},
        // Out of range counts as 1.
        {0, 0, RendererChoice::Vmr7Windowed},
        {0, 8, RendererChoice::Vmr7Windowed},
        {0, -1, RendererChoice::Vmr7Windowed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseRenderer(c.flags, c.configured), c.expected)
            << std::hex << c.flags << " with " << std::dec << c.configured;
    }
}

TEST(OverlayPicture, SourceRectangleWithColourKeyTransparent) {
    ASSERT_TRUE(nerla::ensureGstreamer());
    // 4x2 BGRA: row 0 red, black, green, blue; row 1 all white; stride padded.
    const int stride = 20;
    std::vector<uint8_t> pixels(stride * 2, 0x55);
    const uint8_t row0[4][4] = {{0, 0, 255, 0}, {0, 0, 0, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
    for (int x = 0; x < 4; ++x) {
        for (int c = 0; c < 4; ++c) {
            pixels[x * 4 + c] = row0[x][c];
            pixels[stride + x * 4 + c] = 255;
        }
    }
    NerlaBitmap bitmap{4, 2, stride, pixels.data()};
    NerlaOverlayBitmap overlay{};
    overlay.show = 1;
    overlay.sourceLeft = 1;
    overlay.sourceTop = 0;
    overlay.sourceRight = 9;  // clipped to the bitmap
    overlay.sourceBottom = 1;
    overlay.colorKey = 0x000000;  // black
    overlay.bitmap = &bitmap;
    nerla::OverlayPicture picture = nerla::makeOverlayPicture(overlay);
    ASSERT_TRUE(picture.pixels);
    EXPECT_EQ(picture.width, 3);
    EXPECT_EQ(picture.height, 1);
    GstMapInfo map;
    ASSERT_TRUE(gst_buffer_map(picture.pixels.get(), &map, GST_MAP_READ));
    ASSERT_EQ(map.size, 12u);
    EXPECT_EQ(map.data[3], 0);        // black: keyed out
    EXPECT_EQ(map.data[4 + 1], 255);  // green stays, opaque
    EXPECT_EQ(map.data[4 + 3], 255);
    EXPECT_EQ(map.data[8 + 0], 255);  // blue
    EXPECT_EQ(map.data[8 + 3], 255);
    gst_buffer_unmap(picture.pixels.get(), &map);

    // COLORREF keys name red in the low byte: 0x0000FF keys red, not blue.
    overlay.sourceLeft = 0;
    overlay.colorKey = 0x0000FF;
    picture = nerla::makeOverlayPicture(overlay);
    ASSERT_TRUE(gst_buffer_map(picture.pixels.get(), &map, GST_MAP_READ));
    EXPECT_EQ(map.data[3], 0);         // red keyed
    EXPECT_EQ(map.data[12 + 3], 255);  // blue not
    gst_buffer_unmap(picture.pixels.get(), &map);
}

TEST(OverlayPicture, NothingForMissingOrEmptyPictures) {
    ASSERT_TRUE(nerla::ensureGstreamer());
    std::vector<uint8_t> pixels(16, 0);
    NerlaBitmap bitmap{2, 2, 8, pixels.data()};
    NerlaOverlayBitmap overlay{};
    overlay.show = 1;
    overlay.sourceRight = 2;
    overlay.sourceBottom = 2;
    EXPECT_FALSE(nerla::makeOverlayPicture(overlay).pixels);  // no bitmap
    overlay.bitmap = &bitmap;
    EXPECT_TRUE(nerla::makeOverlayPicture(overlay).pixels);
    overlay.sourceLeft = 2;  // empty
    EXPECT_FALSE(nerla::makeOverlayPicture(overlay).pixels);
    overlay.sourceLeft = 0;
    NerlaBitmap narrow{2, 2, 4, pixels.data()};  // stride shorter than a row
    overlay.bitmap = &narrow;
    EXPECT_FALSE(nerla::makeOverlayPicture(overlay).pixels);
}

}  // namespace
