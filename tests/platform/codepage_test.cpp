#include <gtest/gtest.h>

#include "platform/codepage.h"

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
        {std::u16string{char16_t{0xDC00}, u'a'}, "\xEF\xBF\xBD" "a"},
        {std::u16string{u'a', char16_t{0xD83D}}, "a\xEF\xBF\xBD"},
    };
    for (const auto& c : toSystem) EXPECT_EQ(ToSystem(c.wide), c.narrow);

    const Case fromSystem[] = {
        {u"\uFFFD", "\xFF"},
        {u"\uFFFDa", "\xC3" "a"},          // truncated sequence
        {u"\uFFFD", "\xE6\x97"},           // cut at the end
        {u"\uFFFD", "\xC0\x80"},           // overlong
        {u"\uFFFD", "\xED\xA0\x80"},       // an encoded surrogate
        {u"\uFFFD", "\xF4\x90\x80\x80"},   // beyond U+10FFFF
        {std::u16string(1, u'\0') + u"x", std::string("\0x", 2)},
    };
    for (const auto& c : fromSystem) EXPECT_TRUE(FromSystem(c.narrow) == c.wide) << c.narrow;
}

}  // namespace
}  // namespace quorvex6::platform
