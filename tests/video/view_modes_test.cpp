// Every (layout, mode, swap) combination drawn on llvmpipe and compared with
// the view formulas computed here.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "gl_fixture.h"

namespace nerla::test {
namespace {

constexpr int kFrameWidth = 64;
constexpr int kFrameHeight = 32;
constexpr int kTargetWidth = 40;
constexpr int kTargetHeight = 20;
constexpr double kTolerance = 2.5;

// Four quadrants of different colours, and a green ramp across the width.
SourceImage quadrantFrame() {
    SourceImage image(kFrameWidth, kFrameHeight);
    const Rgba quadrant[2][2] = {{{200, 0, 30, 255}, {50, 0, 220, 255}},
                                 {{120, 0, 90, 255}, {230, 0, 160, 255}}};
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            Rgba t = quadrant[y * 2 / kFrameHeight][x * 2 / kFrameWidth];
            t.g = std::round(30.0 + 190.0 * x / (kFrameWidth - 1));
            image.at(x, y) = t;
        }
    }
    return image;
}

struct Case {
    int layout;
    int mode;
    bool swap;
    int eyeValue;
};

std::string describe(const Case& c) {
    std::ostringstream out;
    out << "layout" << c.layout << "_mode" << c.mode << (c.swap ? "_swapped" : "") << "_A"
        << c.eyeValue;
    return out.str();
}

struct Vec2 {
    double x, y;
};

// The reference: one output pixel from the view formulas, 0..1.
class Reference {
  public:
    Reference(const SourceImage& image, const Case& c) : image_(image), c_(c) {
        a_ = std::clamp(c.eyeValue / 10000.0, 0.5, 1.5);
    }

    // False where the pixel sits on a decision boundary and is not compared.
    bool pixel(int column, int row, Rgba& out) const {
        double u = 1.0;
        double v = 1.0;
        if (c_.layout == 2 && c_.mode == 6) {
            u = 2.0;
            v = 0.5;
        } else if (c_.layout == 3 && c_.mode == 6) {
            u = 2.0;
        } else if (c_.layout == 3 && c_.mode == 7) {
            v = 2.0;
        }
        const double x = (column + 0.5) / kTargetWidth * u;
        const double y = (row + 0.5) / kTargetHeight * v;

        Vec2 p{x, y};
        Vec2 s{0.99 * x * a_, y};
        Vec2 s0{0.99 * x, y};
        if (c_.layout == 1) {
            p = {0.5 * x, y};
            s = {0.5 * x * a_ + 0.5, y};
            s0 = {0.5 * x + 0.5, y};
        } else if (c_.layout == 2) {
            p = {x, 0.5 * y};
            s = {x, 0.5 * y * a_ + 0.5};
            s0 = {x, 0.5 * y + 0.5};
        }

        switch (c_.mode) {
            case 1:
            case 2:
            case 3:
            case 8:
            case 9:
            case 10:
            case 11: {
                if (c_.layout == 1 && (c_.mode == 1 || c_.mode == 3)) {
                    if (std::abs(s.x - 1.0) < 1e-4) {
                        return false;
                    }
                    if (s.x > 1.0) {
                        out = {0, 0, 0, 0};
                        return true;
                    }
                }
                bool leftIsFirst = !c_.swap;
                if (c_.layout == 1 && c_.mode == 2) {
                    leftIsFirst = !leftIsFirst;
                }
                const Rgba l = frame(leftIsFirst ? p : s);
                const Rgba r = frame(leftIsFirst ? s : p);
                out = anaglyph(l, r);
                return true;
            }
            case 4:
            case 5:
                if (c_.layout == 3) {
                    out = stretched(frame({x, y}));
                } else {
                    const bool first = (c_.mode == 4) != c_.swap;
                    out = opaque(frame(first ? p : s0));
                }
                return true;
            case 7:
                out = c_.layout == 1 ? opaque(frame({0.5 * x, 2.0 * y})) : stretched(frame({x, y}));
                return true;
            case 12: {
                const bool firstRow = std::fmod(kTargetHeight / 2.0 * y, 1.0) > 0.5;
                out = frame(firstRow != c_.swap ? p : s0);
                return true;
            }
            default:
                out = stretched(frame({x, y}));
                return true;
        }
    }

  private:
    // The frame as the programs see it: video range.
    Rgba frame(Vec2 at) const {
        const Rgba t = image_.sample(at.x, at.y);
        auto video = [](double c) { return (16.0 + 219.0 * c / 255.0) / 255.0; };
        return {video(t.r), video(t.g), video(t.b), 1.0};
    }
    static Rgba stretched(const Rgba& t) {
        auto full = [](double c) { return (c - 16.0 / 255.0) * 255.0 / 219.0; };
        return {full(t.r), full(t.g), full(t.b), full(t.a)};
    }
    static Rgba opaque(Rgba t) {
        t.a = 1.0;
        return t;
    }
    Rgba anaglyph(const Rgba& l, const Rgba& r) const {
        auto luma = [](const Rgba& t) { return 0.299 * t.r + 0.587 * t.g + 0.114 * t.b; };
        switch (c_.mode) {
            case 1:
                return {l.r, l.g, r.b, 1};
            case 2:
                return {l.r, r.g, r.b, 1};
            case 3:
                return {r.r, l.g, r.b, 1};
            case 8:
                return {luma(l), luma(r), luma(r), 1};
            case 9:
                return {luma(l), r.g, r.b, 1};
            case 10:
                return {0.45 * l.g + 1.05 * l.b, r.g, r.b, 1};
            default:
                return {
                    0.456 * l.r + 0.5 * l.g + 0.176 * l.b - 0.043 * r.r - 0.088 * r.g - 0.002 * r.b,
                    -0.04 * l.r - 0.038 * l.g - 0.016 * l.b + 0.378 * r.r + 0.734 * r.g -
                        0.018 * r.b,
                    -0.015 * l.r - 0.021 * l.g - 0.005 * l.b - 0.072 * r.r - 0.113 * r.g +
                        1.226 * r.b,
                    1};
        }
    }

    const SourceImage& image_;
    Case c_;
    double a_;
};

// Differences beyond the tolerance, described, at most a few.
std::string compare(const std::vector<uint8_t>& pixels, const Reference& reference) {
    std::ostringstream report;
    int bad = 0;
    for (int row = 0; row < kTargetHeight; ++row) {
        for (int column = 0; column < kTargetWidth; ++column) {
            Rgba want;
            if (!reference.pixel(column, row, want)) {
                continue;
            }
            const double wanted[4] = {want.r, want.g, want.b, want.a};
            for (int c = 0; c < 4; ++c) {
                const double expected = std::clamp(wanted[c], 0.0, 1.0) * 255.0;
                const double got = channel(pixels, kTargetWidth, column, row, c);
                if (std::abs(got - expected) > kTolerance && ++bad <= 4) {
                    report << "(" << column << "," << row << ")["
                           << "rgba"[c] << "] got " << got << " want " << expected << "; ";
                }
            }
        }
    }
    if (bad > 4) {
        report << bad << " differences in all";
    }
    return report.str();
}

class ViewModeTest : public GlTest, public ::testing::WithParamInterface<Case> {};

// The mode is chosen first and the swap value sent afterwards, so the extents
// of modes 6 and 7 must survive the swap toggle; the eye factor comes last
// and rebuilds the current mode.
TEST_P(ViewModeTest, MatchesFormulas) {
    const Case c = GetParam();
    const SourceImage image = quadrantFrame();
    FramePlanes frame;
    uploadRgb(frame, image);
    OffscreenTarget out = target(kTargetWidth, kTargetHeight);

    CPlaneScene scene;
    scene.SetSourceLayout(static_cast<SourceLayout>(c.layout));
    ASSERT_EQ(scene.Setup(device_, FrameFormat::Rgbx), CPlaneScene::Status::Ok);
    scene.SelectView(c.mode);
    scene.SelectView(c.swap ? CPlaneScene::kSwapOn : CPlaneScene::kSwapOff);
    scene.SelectView(c.eyeValue);
    ASSERT_TRUE(scene.hasProgram());

    EXPECT_EQ(compare(draw(scene, frame, out), Reference(image, c)), "");
}

std::vector<Case> allCases() {
    std::vector<Case> cases;
    for (int eyeValue : {10000, 10300, 9700}) {
        for (int layout = 1; layout <= 3; ++layout) {
            for (int mode = 0; mode <= 12; ++mode) {
                for (bool swap : {false, true}) {
                    cases.push_back({layout, mode, swap, eyeValue});
                }
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllViews, ViewModeTest, ::testing::ValuesIn(allCases()),
                         [](const auto& test) { return describe(test.param); });

}  // namespace
}  // namespace nerla::test
