#include "video/frame_sampling.h"

#include <cmath>
#include <numbers>

namespace nerla {
namespace {

#define HEAD                                                          \
    "#version 300 es\nprecision highp float;\nprecision highp int;\n" \
    "uniform highp sampler2D plane0;\n"
#define FRAME                                                                              \
    "uniform mat4 colorMatrix;  // texel to video-range RGB, colour controls included\n\n" \
    "vec4 frame(vec2 c) {\n    return vec4((colorMatrix * vec4(fetch(c), 1.0)).rgb, 1.0);\n}\n\n"

constexpr char kSemiPlanar[] = HEAD
    "uniform highp sampler2D plane1;\n\n"
    "vec3 fetch(vec2 c) {\n    return vec3(texture(plane0, c).r, texture(plane1, "
    "c).rg);\n}\n\n" FRAME;
constexpr char kRgb[] =
    HEAD "\nvec3 fetch(vec2 c) {\n    return texture(plane0, c).rgb;\n}\n\n" FRAME;

#undef HEAD
#undef FRAME

constexpr double kVideoBlack = 16.0 / 255.0;
constexpr double kVideoScale = 219.0 / 255.0;
constexpr double kChromaZero = 128.0 / 255.0;
// Video-range chroma spans 224 steps where luma spans 219.
constexpr double kChromaRange = 219.0 / 224.0;

// Row-major affine maps of (x, y, z, 1).
struct Affine {
    double m[4][4];

    static Affine identity() { return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}; }

    Affine operator*(const Affine& next) const {
        Affine product{};
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                for (int k = 0; k < 4; ++k) {
                    product.m[r][c] += m[r][k] * next.m[k][c];
                }
            }
        }
        return product;
    }
};

// (Y, Cb - zero, Cr - zero) to video-range RGB, from the luma weights.
struct Weights {
    double kr, kb;

    double kg() const { return 1.0 - kr - kb; }
    double redFromCr() const { return 2.0 * (1.0 - kr) * kChromaRange; }
    double blueFromCb() const { return 2.0 * (1.0 - kb) * kChromaRange; }
    double greenFromCb() const { return -2.0 * (1.0 - kb) * kb / kg() * kChromaRange; }
    double greenFromCr() const { return -2.0 * (1.0 - kr) * kr / kg() * kChromaRange; }
};

Weights weightsOf(ColorMatrix matrix) {
    return matrix == ColorMatrix::Bt601 ? Weights{0.299, 0.114} : Weights{0.2126, 0.0722};
}

Affine toRgb(const Weights& w) {
    return {{{1, 0, w.redFromCr(), 0},
             {1, w.greenFromCb(), w.greenFromCr(), 0},
             {1, w.blueFromCb(), 0, 0},
             {0, 0, 0, 1}}};
}

// Video-range RGB to (Y, Cb - zero, Cr - zero): the inverse of toRgb.
Affine fromRgb(const Weights& w) {
    const double kg = w.kg();
    return {{{w.kr, kg, w.kb, 0},
             {-w.kr / w.blueFromCb(), -kg / w.blueFromCb(), (1.0 - w.kb) / w.blueFromCb(), 0},
             {(1.0 - w.kr) / w.redFromCr(), -kg / w.redFromCr(), -w.kb / w.redFromCr(), 0},
             {0, 0, 0, 1}}};
}

Affine controlsOf(const ColorControls& controls) {
    const double hue = controls.hue * std::numbers::pi / 180.0;
    const double c = std::cos(hue) * controls.saturation;
    const double s = std::sin(hue) * controls.saturation;
    const double k = controls.contrast;
    return {{{k, 0, 0, kVideoBlack * (1.0 - k) + controls.brightness / 255.0},
             {0, c, -s, 0},
             {0, s, c, 0},
             {0, 0, 0, 1}}};
}

}  // namespace

SamplingKind samplingKind(FrameFormat format) {
    switch (format) {
        case FrameFormat::I420:
        case FrameFormat::Nv12:
            return SamplingKind::SemiPlanar;
        case FrameFormat::Rgbx:
        case FrameFormat::Bgrx:
            break;
    }
    return SamplingKind::Rgb;
}

std::string_view frameSamplingSource(SamplingKind kind) {
    switch (kind) {
        case SamplingKind::SemiPlanar:
            return kSemiPlanar;
        case SamplingKind::Rgb:
            break;
    }
    return kRgb;
}

std::array<float, 16> frameColorMatrix(SamplingKind kind, ColorMatrix matrix,
                                       const ColorControls& controls) {
    const Weights weights = weightsOf(matrix);
    Affine input;
    if (kind == SamplingKind::Rgb) {
        // Full-range RGB into video range, then apart into luma and chroma.
        const Affine toVideo = {{{kVideoScale, 0, 0, kVideoBlack},
                                 {0, kVideoScale, 0, kVideoBlack},
                                 {0, 0, kVideoScale, kVideoBlack},
                                 {0, 0, 0, 1}}};
        input = fromRgb(weights) * toVideo;
    } else {
        input = {{{1, 0, 0, 0}, {0, 1, 0, -kChromaZero}, {0, 0, 1, -kChromaZero}, {0, 0, 0, 1}}};
    }
    const Affine whole = toRgb(weights) * controlsOf(controls) * input;
    std::array<float, 16> columns{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            columns[static_cast<size_t>(c * 4 + r)] = static_cast<float>(whole.m[r][c]);
        }
    }
    return columns;
}

void FrameSamplingUniforms::locate(GLuint program) {
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "plane0"), 0);
    glUniform1i(glGetUniformLocation(program, "plane1"), 1);
    glUniform1i(glGetUniformLocation(program, "plane2"), 2);
    glUseProgram(0);
    colorMatrix_ = glGetUniformLocation(program, "colorMatrix");
}

void FrameSamplingUniforms::apply(const FramePlanes& frame, const ColorControls& controls) const {
    const std::array<float, 16> matrix =
        frameColorMatrix(samplingKind(frame.format()), frame.colorMatrix(), controls);
    glUniformMatrix4fv(colorMatrix_, 1, GL_FALSE, matrix.data());
}

}  // namespace nerla
