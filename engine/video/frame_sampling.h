// The function in front of every view program that reads the frame planes and
// returns the frame as RGB in video range (black 16/255, white 235/255), with
// the colour controls applied on the way. One variant per plane layout, so a
// frame costs only its own texture fetches.
#pragma once

#include <GLES3/gl3.h>

#include <array>
#include <string_view>

#include "video/frame_planes.h"

namespace nerla {

// Neutral values leave the picture unchanged.
struct ColorControls {
    float brightness = 0.0f;  // added to luma, in 8-bit luma steps
    float contrast = 1.0f;    // luma gain about black
    float hue = 0.0f;         // chroma rotation in degrees
    float saturation = 1.0f;  // chroma gain
};

// How the textures are read: Y and interleaved UV (I420 frames are uploaded
// that way too: one chroma fetch instead of two); one RGB texture.
enum class SamplingKind { SemiPlanar, Rgb };

SamplingKind samplingKind(FrameFormat format);

// GLSL ES 3.00 text defining `vec4 frame(vec2 coordinate)`, starting with the
// #version line.
std::string_view frameSamplingSource(SamplingKind kind);

// The affine map from the fetched texel (Y, Cb, Cr or R, G, B, each 0..1) to
// video-range RGB, column-major as GL takes it: the source's matrix and the
// colour controls in one.
std::array<float, 16> frameColorMatrix(SamplingKind kind, ColorMatrix matrix,
                                       const ColorControls& controls);

// The sampling function's uniforms in one linked program.
class FrameSamplingUniforms {
  public:
    // Looks the uniforms up and points the plane samplers at texture units
    // 0..2; uses `program` on the current context.
    void locate(GLuint program);
    // Sets the per-frame values on the program in use.
    void apply(const FramePlanes& frame, const ColorControls& controls) const;

  private:
    GLint colorMatrix_ = -1;
};

}  // namespace nerla
