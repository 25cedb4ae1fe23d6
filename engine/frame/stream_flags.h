// The stream-creation flag word: a pattern is present only when all its bits are set.
#pragma once

#include <cstdint>

namespace nerla {

enum class SourceLayout { None = 0, SideBySide = 1, TopBottom = 2, SingleView = 3 };

namespace flag {
constexpr uint32_t kUnicode = 0x80000000u;
constexpr uint32_t kSideBySide = 0x123456u;
constexpr uint32_t kTopBottom = 0x432100u;
constexpr uint32_t kSingleView = 0x876543u;
constexpr uint32_t k3DVision = 0x1600000u;
constexpr uint32_t kMixing = 0x60000000u;
constexpr uint32_t kLoop = 0x8000500u;
constexpr uint32_t kRendererData = 0x200000u;
}  // namespace flag

constexpr bool hasPattern(uint32_t flags, uint32_t pattern) {
    return (flags & pattern) == pattern;
}

// Side by side, then top/bottom, then single view: the first present decides.
constexpr SourceLayout sourceLayout(uint32_t flags) {
    if (hasPattern(flags, flag::kSideBySide)) {
        return SourceLayout::SideBySide;
    }
    if (hasPattern(flags, flag::kTopBottom)) {
        return SourceLayout::TopBottom;
    }
    if (hasPattern(flags, flag::kSingleView)) {
        return SourceLayout::SingleView;
    }
    return SourceLayout::None;
}

constexpr bool wants3DVision(uint32_t flags) {
    return sourceLayout(flags) != SourceLayout::None && hasPattern(flags, flag::k3DVision);
}
constexpr bool wantsMixing(uint32_t flags) {
    return sourceLayout(flags) == SourceLayout::None && hasPattern(flags, flag::kMixing);
}
constexpr bool loops(uint32_t flags) {
    return hasPattern(flags, flag::kLoop);
}
constexpr bool pathIsUnicode(uint32_t flags) {
    return hasPattern(flags, flag::kUnicode);
}
constexpr bool dataFromRenderer(uint32_t flags) {
    return hasPattern(flags, flag::kRendererData);
}

}  // namespace nerla
