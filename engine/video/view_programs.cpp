#include "video/view_programs.h"

#include <charconv>

namespace nerla {
namespace {

// The texts are composed from these pieces at compile time, so every table
// entry below reads as its formula. P is the first view, S the second.
// clang-format off
#define EYE_FACTOR "_The_Value_Of_A_Is_Set_Here_"
#define HEAD "in vec2 tex;\nout vec4 color;\n\nvoid main() {\n"
#define TAIL "}\n"

#define SBS_P "vec2(0.5 * tex.x, tex.y)"
#define SBS_S "vec2(0.5 * tex.x *" EYE_FACTOR " + 0.5, tex.y)"
#define SBS_S0 "vec2(0.5 * tex.x + 0.5, tex.y)"
#define TB_P "vec2(tex.x, 0.5 * tex.y)"
#define TB_S "vec2(tex.x, 0.5 * tex.y *" EYE_FACTOR " + 0.5)"
#define TB_S0 "vec2(tex.x, 0.5 * tex.y + 0.5)"
#define MONO_P "tex"
#define MONO_S "vec2(0.99 * tex.x *" EYE_FACTOR ", tex.y)"
#define MONO_S0 "vec2(0.99 * tex.x, tex.y)"

// l and r feed the left-eye and right-eye colour roles.
#define VIEWS(left, right) \
    "    vec4 l = frame(" left ");\n" \
    "    vec4 r = frame(" right ");\n"
// Side by side: black where the second view's coordinate passes the right edge.
#define EDGE_VIEWS(left, right) \
    "    vec2 second = " SBS_S ";\n" \
    "    if (second.x > 1.0) {\n" \
    "        color = vec4(0.0);\n" \
    "        return;\n" \
    "    }\n" \
    VIEWS(left, right)

#define BLUE_YELLOW "    color = vec4(l.r, l.g, r.b, 1.0);\n"
#define RED_CYAN "    color = vec4(l.r, r.g, r.b, 1.0);\n"
#define GREEN_MAGENTA "    color = vec4(r.r, l.g, r.b, 1.0);\n"
#define MONOCHROME \
    "    float lm = (l.r * 299.0 + l.g * 587.0 + l.b * 114.0) / 1000.0;\n" \
    "    float rm = (r.r * 299.0 + r.g * 587.0 + r.b * 114.0) / 1000.0;\n" \
    "    color = vec4(lm, rm, rm, 1.0);\n"
#define HALF_COLOUR \
    "    color = vec4((l.r * 299.0 + l.g * 587.0 + l.b * 114.0) / 1000.0, r.g, r.b, 1.0);\n"
#define OPTIMISED \
    "    color = vec4((l.g * 450.0 + l.b * 1050.0) / 1000.0, r.g, r.b, 1.0);\n"
#define DUBOIS \
    "    color = vec4(\n" \
    "        (l.r * 456.0 + l.g * 500.0 + l.b * 176.0 - r.r * 43.0 - r.g * 88.0 - r.b * 2.0) / 1000.0,\n" \
    "        (-l.r * 40.0 - l.g * 38.0 - l.b * 16.0 + r.r * 378.0 + r.g * 734.0 - r.b * 18.0) / 1000.0,\n" \
    "        (-l.r * 15.0 - l.g * 21.0 - l.b * 5.0 - r.r * 72.0 - r.g * 113.0 + r.b * 1226.0) / 1000.0,\n" \
    "        1.0);\n"

#define ANAGLYPH(views, mix) HEAD views mix TAIL
#define ONE_VIEW(at) HEAD "    color = vec4(frame(" at ").rgb, 1.0);\n" TAIL
// Half the target height in stripe pairs: each stripe is one output row. The
// row picks the coordinate, so each pixel costs one frame fetch.
#define INTERLACED(first, second) \
    "uniform float stripes;\n\n" HEAD \
    "    vec2 at = fract(stripes * tex.y) > 0.5 ? " first " : " second ";\n" \
    "    color = frame(at);\n" TAIL

// Video range 16..235 stretched to full range, on all four channels.
constexpr const char kColourRange[] =
    "#define const_1 (16.0/255.0)\n"
    "#define const_2 (255.0/219.0)\n\n"
    HEAD "    color = (frame(tex) - const_1) * const_2;\n" TAIL;
// clang-format on

constexpr std::array<const char*, kViewModeCount> kSideBySide = {
    kColourRange,
    ANAGLYPH(EDGE_VIEWS(SBS_P, "second"), BLUE_YELLOW),
    ANAGLYPH(VIEWS(SBS_S, SBS_P), RED_CYAN),  // red from the right half
    ANAGLYPH(EDGE_VIEWS(SBS_P, "second"), GREEN_MAGENTA),
    ONE_VIEW(SBS_P),
    ONE_VIEW(SBS_S0),
    kColourRange,
    ONE_VIEW("vec2(0.5 * tex.x, 2.0 * tex.y)"),
    ANAGLYPH(VIEWS(SBS_P, SBS_S), MONOCHROME),
    ANAGLYPH(VIEWS(SBS_P, SBS_S), HALF_COLOUR),
    ANAGLYPH(VIEWS(SBS_P, SBS_S), OPTIMISED),
    ANAGLYPH(VIEWS(SBS_P, SBS_S), DUBOIS),
    INTERLACED(SBS_P, SBS_S0),
};

constexpr std::array<const char*, kViewModeCount - 1> kSideBySideSwapped = {
    kColourRange,
    ANAGLYPH(EDGE_VIEWS("second", SBS_P), BLUE_YELLOW),
    ANAGLYPH(VIEWS(SBS_P, SBS_S), RED_CYAN),
    ANAGLYPH(EDGE_VIEWS("second", SBS_P), GREEN_MAGENTA),
    ONE_VIEW(SBS_S0),
    ONE_VIEW(SBS_P),
    kColourRange,
    ONE_VIEW("vec2(0.5 * tex.x, 2.0 * tex.y)"),
    ANAGLYPH(VIEWS(SBS_S, SBS_P), MONOCHROME),
    ANAGLYPH(VIEWS(SBS_S, SBS_P), HALF_COLOUR),
    ANAGLYPH(VIEWS(SBS_S, SBS_P), OPTIMISED),
    ANAGLYPH(VIEWS(SBS_S, SBS_P), DUBOIS),
};

constexpr std::array<const char*, kViewModeCount> kTopBottom = {
    kColourRange,
    ANAGLYPH(VIEWS(TB_P, TB_S), BLUE_YELLOW),
    ANAGLYPH(VIEWS(TB_P, TB_S), RED_CYAN),
    ANAGLYPH(VIEWS(TB_P, TB_S), GREEN_MAGENTA),
    ONE_VIEW(TB_P),
    ONE_VIEW(TB_S0),
    kColourRange,  // with extents (2, 0.5)
    kColourRange,
    ANAGLYPH(VIEWS(TB_P, TB_S), MONOCHROME),
    ANAGLYPH(VIEWS(TB_P, TB_S), HALF_COLOUR),
    ANAGLYPH(VIEWS(TB_P, TB_S), OPTIMISED),
    ANAGLYPH(VIEWS(TB_P, TB_S), DUBOIS),
    INTERLACED(TB_P, TB_S0),
};

constexpr std::array<const char*, kViewModeCount - 1> kTopBottomSwapped = {
    kColourRange,
    ANAGLYPH(VIEWS(TB_S, TB_P), BLUE_YELLOW),
    ANAGLYPH(VIEWS(TB_S, TB_P), RED_CYAN),
    ANAGLYPH(VIEWS(TB_S, TB_P), GREEN_MAGENTA),
    ONE_VIEW(TB_S0),
    ONE_VIEW(TB_P),
    kColourRange,
    kColourRange,
    ANAGLYPH(VIEWS(TB_S, TB_P), MONOCHROME),
    ANAGLYPH(VIEWS(TB_S, TB_P), HALF_COLOUR),
    ANAGLYPH(VIEWS(TB_S, TB_P), OPTIMISED),
    ANAGLYPH(VIEWS(TB_S, TB_P), DUBOIS),
};

constexpr std::array<const char*, kViewModeCount> kSingleView = {
    kColourRange,
    ANAGLYPH(VIEWS(MONO_P, MONO_S), BLUE_YELLOW),
    ANAGLYPH(VIEWS(MONO_P, MONO_S), RED_CYAN),
    ANAGLYPH(VIEWS(MONO_P, MONO_S), GREEN_MAGENTA),
    kColourRange,
    kColourRange,
    kColourRange,  // with extents (2, 1)
    kColourRange,  // with extents (1, 2)
    ANAGLYPH(VIEWS(MONO_P, MONO_S), MONOCHROME),
    ANAGLYPH(VIEWS(MONO_P, MONO_S), HALF_COLOUR),
    ANAGLYPH(VIEWS(MONO_P, MONO_S), OPTIMISED),
    ANAGLYPH(VIEWS(MONO_P, MONO_S), DUBOIS),
    INTERLACED(MONO_P, MONO_S0),
};

constexpr std::array<const char*, kViewModeCount - 1> kSingleViewSwapped = {
    kColourRange,
    ANAGLYPH(VIEWS(MONO_S, MONO_P), BLUE_YELLOW),
    ANAGLYPH(VIEWS(MONO_S, MONO_P), RED_CYAN),
    ANAGLYPH(VIEWS(MONO_S, MONO_P), GREEN_MAGENTA),
    kColourRange,
    kColourRange,
    kColourRange,
    kColourRange,
    ANAGLYPH(VIEWS(MONO_S, MONO_P), MONOCHROME),
    ANAGLYPH(VIEWS(MONO_S, MONO_P), HALF_COLOUR),
    ANAGLYPH(VIEWS(MONO_S, MONO_P), OPTIMISED),
    ANAGLYPH(VIEWS(MONO_S, MONO_P), DUBOIS),
};

constexpr std::array<const char*, kLayoutCount> kInterlacedSwapped = {
    INTERLACED(SBS_S0, SBS_P),
    INTERLACED(TB_S0, TB_P),
    INTERLACED(MONO_S0, MONO_P),
};

#undef EYE_FACTOR
#undef HEAD
#undef TAIL
#undef SBS_P
#undef SBS_S
#undef SBS_S0
#undef TB_P
#undef TB_S
#undef TB_S0
#undef MONO_P
#undef MONO_S
#undef MONO_S0
#undef VIEWS
#undef EDGE_VIEWS
#undef BLUE_YELLOW
#undef RED_CYAN
#undef GREEN_MAGENTA
#undef MONOCHROME
#undef HALF_COLOUR
#undef OPTIMISED
#undef DUBOIS
#undef ANAGLYPH
#undef ONE_VIEW
#undef INTERLACED

constexpr ViewProgramTable kStored = {
    {kSideBySide, kTopBottom, kSingleView},
    {kSideBySideSwapped, kTopBottomSwapped, kSingleViewSwapped},
    kInterlacedSwapped,
};

constexpr std::string_view kQuadVertex = R"(#version 300 es
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;
out vec2 tex;

void main() {
    tex = texcoord;
    gl_Position = vec4(position, 1.0);
}
)";

}  // namespace

const char* ViewProgramTable::text(bool swap, int layout, int mode) const {
    if (layout < 1 || layout > kLayoutCount || mode < 0 || mode >= kViewModeCount) {
        return nullptr;
    }
    const size_t row = static_cast<size_t>(layout - 1);
    if (!swap) {
        return swapClear[row][static_cast<size_t>(mode)];
    }
    if (mode == kInterlacedMode) {
        return interlacedSwapped[row];
    }
    return swapSet[row][static_cast<size_t>(mode)];
}

const ViewProgramTable& storedViewPrograms() {
    return kStored;
}

bool usesEyeFactor(int mode) {
    switch (mode) {
        case 1:
        case 2:
        case 3:
        case 8:
        case 9:
        case 10:
        case 11:
            return true;
        default:
            return false;
    }
}

std::string patchEyeFactor(std::string_view text, float eyeFactor) {
    std::string patched(text);
    const size_t at = patched.find(kEyeFactorPlaceholder);
    if (at == std::string::npos) {
        return patched;
    }
    char digits[32] = {' '};
    const auto result = std::to_chars(digits + 1, digits + sizeof digits,
                                      static_cast<double>(eyeFactor), std::chars_format::fixed, 6);
    patched.replace(at, kEyeFactorPlaceholder.size(), digits,
                    static_cast<size_t>(result.ptr - digits));
    return patched;
}

std::string_view quadVertexSource() {
    return kQuadVertex;
}

}  // namespace nerla
