// What the presenter lays over the scene's picture: the host's bitmap
// (colour key, opacity, destination in fractions of the picture) and the
// fade of the stream alpha towards black. Drawn after the scene, blended.
#pragma once

#include <cstdint>
#include <mutex>

#include "nerla.h"
#include "video/gl/gl_object.h"
#include "video/renderer/overlay_picture.h"

namespace nerla {

class OverlayLayer {
  public:
    // From any thread; the pixels are copied. False (nothing changes) for a
    // bitmap or rectangle that does not fit.
    bool set(const NerlaOverlayBitmap& description);
    // Stream alpha 0..1; below 1 the picture fades towards black.
    void setAlpha(float alpha);
    bool visible() const;

    // Draws on the current context into the bound framebuffer; uploads a new
    // bitmap first. Needs the context the layer's objects were made in.
    void draw();
    // Frees the GL objects in the current context (or forgets them when
    // `contextLost`); the bitmap stays for the next device.
    void releaseGpu(bool contextLost);

  private:
    struct Bitmap {
        bool show = false;
        OverlayPicture picture;  // the source rectangle, colour key transparent
        float dest[4] = {};      // fractions left, top, right, bottom
        float opacity = 1.0f;
    };
    bool createGpu();
    void drawQuad(const float dest[4], const float source[4], bool solid, float solidAlpha);

    mutable std::mutex lock_;
    Bitmap bitmap_;
    float alpha_ = 1.0f;
    bool uploadPending_ = false;

    // Drawing thread only.
    GlProgram program_;
    GlBuffer vertices_;
    GlTexture texture_;
    GLint solidLocation_ = -1;
    GLint colourAlphaLocation_ = -1;
    GLint opacityLocation_ = -1;
    Bitmap drawn_;
};

}  // namespace nerla
