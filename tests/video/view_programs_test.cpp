// The stored tables and the eye-factor patch, without GL.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "video/view_programs.h"

namespace nerla::test {
namespace {

int occurrences(std::string_view text, std::string_view what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + what.size())) {
        ++count;
    }
    return count;
}

// Every entry exists (interlaced with the swap flag set included), and the
// placeholder stands exactly once in the texts of the anaglyph modes and
// nowhere else, so the patch can neither miss nor leave one behind.
TEST(ViewProgramTable, EveryEntryCarriesThePlaceholderOnlyWhereTheFactorApplies) {
    const ViewProgramTable& table = storedViewPrograms();
    for (bool swap : {false, true}) {
        for (int layout = 1; layout <= kLayoutCount; ++layout) {
            for (int mode = 0; mode < kViewModeCount; ++mode) {
                const char* text = table.text(swap, layout, mode);
                ASSERT_NE(text, nullptr) << swap << " " << layout << " " << mode;
                EXPECT_EQ(occurrences(text, kEyeFactorPlaceholder), usesEyeFactor(mode) ? 1 : 0)
                    << "swap " << swap << " layout " << layout << " mode " << mode;
            }
        }
    }
    EXPECT_EQ(table.text(false, 0, 0), nullptr);
    EXPECT_EQ(table.text(false, 4, 0), nullptr);
    EXPECT_EQ(table.text(true, 1, 13), nullptr);
    EXPECT_EQ(table.text(true, 1, -1), nullptr);
}

TEST(EyeFactorPatch, WritesASpaceAndSixDecimalsIntoACopy) {
    struct {
        float factor;
        const char* written;
    } const cases[] = {
        {1.0f, " 1.000000"}, {0.97f, " 0.970000"}, {1.03f, " 1.030000"},
        {0.5f, " 0.500000"}, {1.5f, " 1.500000"},  {0.9f, " 0.900000"},
    };
    const std::string stored = "x *_The_Value_Of_A_Is_Set_Here_ + 0.5";
    for (const auto& c : cases) {
        EXPECT_EQ(patchEyeFactor(stored, c.factor), std::string("x *") + c.written + " + 0.5");
    }
    EXPECT_EQ(stored, "x *_The_Value_Of_A_Is_Set_Here_ + 0.5");
    // Only the first occurrence; a text without one is returned unchanged.
    EXPECT_EQ(patchEyeFactor("_The_Value_Of_A_Is_Set_Here_,_The_Value_Of_A_Is_Set_Here_", 1.0f),
              " 1.000000,_The_Value_Of_A_Is_Set_Here_");
    EXPECT_EQ(patchEyeFactor("tex", 1.2f), "tex");
}

}  // namespace
}  // namespace nerla::test
