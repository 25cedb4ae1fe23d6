// Flag-word patterns and the text-encoding forms.
#include <gtest/gtest.h>

#include "frame/stream_flags.h"
#include "frame/text.h"

namespace {

using namespace nerla;

TEST(StreamFlags, Patterns) {
    struct Case {
        uint32_t flags;
        SourceLayout layout;
        bool vision;
        bool mixing;
        bool loop;
        bool unicode;
    };
    const Case cases[] = {
        {0, SourceLayout::None, false, false, false, false},
        {0x80000000u, SourceLayout::None, false, false, false, true},
        {0x123456u, SourceLayout::SideBySide, false, false, false, false},
        {0x80432100u, SourceLayout::TopBottom, false, false, false, true},
        {0x876543u, SourceLayout::SingleView, false, false, false, false},  // bits 8, 10 only
        {0x81632100u, SourceLayout::TopBottom, true, false, false, true},
        {0x1600000u, SourceLayout::None, false, false, false, false},  // 3D Vision needs a layout
        {0x60000000u, SourceLayout::None, false, true, false, false},
        {0x60123456u, SourceLayout::SideBySide, false, false, false, false},
        {0x8000500u, SourceLayout::None, false, false, true, false},
        {0x8000400u, SourceLayout::None, false, false, false, false},  // partial pattern
        {0x123450u, SourceLayout::None, false, false, false, false},
        {0x123456u | 0x432100u, SourceLayout::SideBySide, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.flags);
        EXPECT_EQ(sourceLayout(c.flags), c.layout);
        EXPECT_EQ(wants3DVision(c.flags), c.vision);
        EXPECT_EQ(wantsMixing(c.flags), c.mixing);
        EXPECT_EQ(loops(c.flags), c.loop);
        EXPECT_EQ(pathIsUnicode(c.flags), c.unicode);
    }
    EXPECT_TRUE(dataFromRenderer(0x1600000u));
}

TEST(TextEncoding, Forms) {
    EXPECT_EQ(encodingFromSignForm(0x80000001u), TextEncoding::Utf16);
    EXPECT_EQ(encodingFromSignForm(0x7FFFFFFFu), TextEncoding::Ansi);
    EXPECT_EQ(encodingFromExactForm(0), TextEncoding::Ansi);
    EXPECT_EQ(encodingFromExactForm(0x80000000u), TextEncoding::Utf16);
    EXPECT_FALSE(encodingFromExactForm(1).has_value());
    EXPECT_FALSE(encodingFromExactForm(0x80000001u).has_value());
    EXPECT_EQ(encodingFromZeroForm(0), TextEncoding::Ansi);
    EXPECT_EQ(encodingFromZeroForm(3), TextEncoding::Utf16);
}

TEST(TextEncoding, ReadAndConvert) {
    const char16_t wide[] = u"Fl\u00fcgel \U0001F600.mkv";
    EXPECT_EQ(readText(wide, TextEncoding::Utf16),
              std::string("Fl\xC3\xBCgel \xF0\x9F\x98\x80.mkv"));
    EXPECT_EQ(readText("plain", TextEncoding::Ansi), std::string("plain"));
    EXPECT_FALSE(readText(nullptr, TextEncoding::Ansi).has_value());
    const char16_t broken[] = {u'a', 0xD800, u'b', 0};  // lone surrogate
    EXPECT_FALSE(readText(broken, TextEncoding::Utf16).has_value());

    // Cut to the buffer, never inside a character.
    EXPECT_EQ(toUtf16("abc", 3), u"ab");
    EXPECT_EQ(toUtf16("a\xF0\x9F\x98\x80", 3), u"a");
    EXPECT_EQ(toAnsi("a\xC3\xBC", 3), "a");
    EXPECT_EQ(toAnsi("a\xC3\xBC", 4), "a\xC3\xBC");
    EXPECT_EQ(toAnsi("abc", 0), "");
}

}  // namespace
