#include "platform/codepage.h"

#include <gtest/gtest.h>

#include "platform/utf8.h"

namespace quorvex6::platform {
namespace {

TEST(CodePage, RoundTripsEveryPlane) {
    const std::u16string text = u"abc 日本語 ﾃｽﾄ \U0001F600 \u00e9";
    EXPECT_TRUE(FromSystem(ToSystem(text)) == text);
    EXPECT_EQ(ToSystem(u"日本"), "\xE6\x97\xA5\xE6\x9C\xAC");
}

TEST(CodePage, IllFormedInputBecomesReplacementCharacters) {
    struct Case {
        std::u16string wide;
        std::string narrow;
    };
    const Case toSystem[] = {
        {std::u16string(1, char16_t{0xD800}), "\xEF\xBF\xBD"},
        {std::u16string{char16_t{0xDC00}, u'a'},
         "\xEF\xBF\xBD"
         "a"},
        {std::u16string{u'a', char16_t{0xD83D}}, "a\xEF\xBF\xBD"},
    };
    for (const auto& c : toSystem) EXPECT_EQ(ToSystem(c.wide), c.narrow);

    const Case fromSystem[] = {
        {u"\uFFFD", "\xFF"},
        {u"\uFFFDa",
         "\xC3"
         "a"},                            // truncated sequence
        {u"\uFFFD", "\xE6\x97"},          // cut at the end
        {u"\uFFFD", "\xC0\x80"},          // overlong
        {u"\uFFFD", "\xED\xA0\x80"},      // an encoded surrogate
        {u"\uFFFD", "\xF4\x90\x80\x80"},  // beyond U+10FFFF
        {std::u16string(1, u'\0') + u"x", std::string("\0x", 2)},
    };
    for (const auto& c : fromSystem) EXPECT_TRUE(FromSystem(c.narrow) == c.wide) << c.narrow;
}

}  // namespace
}  // namespace quorvex6::platform

namespace quorvex6::platform {
namespace {

TEST(CodePage, BytesThatAreNotUtf8TravelAsSurrogatesAndReachTheLibraryUnchanged) {
    const std::string names[] = {
        "caf\xE9.txt",                   // Latin-1
        "\x83\x65\x83\x58\x83\x67.txt",  // Shift_JIS
        "\xFF\xFE",
        "\xC3",                  // cut sequence
        "\xE6\x97\xA5\xE6\x97",  // a character, then a cut one
        "\xED\xB2\x80",          // U+DC80 itself, encoded: not UTF-8
        "\xF0\x9F\x98\x80\x80",  // a character from beyond the BMP, then a stray byte
        "plain 日本.txt",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::u16string carried = DecodeUtf8KeepingBytes(name);
        EXPECT_EQ(ToSystem(carried), name);
        EXPECT_EQ(EncodeUtf8KeepingBytes(carried), name);
    }
    EXPECT_TRUE(DecodeUtf8KeepingBytes("caf\xE9") ==
                (u"caf" + std::u16string(1, char16_t{0xDCE9})));
    // Only U+DC80..U+DCFF carry bytes; other lone surrogates are still replaced.
    EXPECT_EQ(ToSystem(std::u16string{char16_t{0xDC7F}, char16_t{0xDD00}, char16_t{0xD800}}),
              "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace quorvex6::platform
