// The stored GLSL ES texts of the view modes, indexed by swap state, source
// layout and view mode, and the eye-factor patch applied to a copy.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace nerla {

inline constexpr std::string_view kEyeFactorPlaceholder = "_The_Value_Of_A_Is_Set_Here_";
inline constexpr int kViewModeCount = 13;
inline constexpr int kInterlacedMode = 12;
inline constexpr int kLayoutCount = 3;

// Each text is the fragment stage after the frame sampling function: it reads
// `in vec2 tex`, writes `out vec4 color` and calls `frame()` once or twice.
struct ViewProgramTable {
    // Swap flag clear, per layout (1 side by side, 2 top/bottom, 3 single view).
    std::array<std::array<const char*, kViewModeCount>, kLayoutCount> swapClear;
    // Swap flag set: no interlaced entry, see interlacedSwapped.
    std::array<std::array<const char*, kViewModeCount - 1>, kLayoutCount> swapSet;
    // Interlaced with the swap flag set: the rows of the two views exchanged.
    std::array<const char*, kLayoutCount> interlacedSwapped;

    // layout 1..3, mode 0..12.
    const char* text(bool swap, int layout, int mode) const;
};

const ViewProgramTable& storedViewPrograms();

// The anaglyph modes, whose texts carry the eye-factor placeholder.
bool usesEyeFactor(int mode);

// A copy of `text` with the first placeholder replaced by " %f" of the factor
// (a space and six decimals), independent of the process locale.
std::string patchEyeFactor(std::string_view text, float eyeFactor);

// The vertex stage shared by all view programs: clip-space position at
// location 0, texture coordinate at location 1, passed on as `tex`.
std::string_view quadVertexSource();

}  // namespace nerla
