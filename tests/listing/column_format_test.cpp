#include "listing/column_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace quorvex6::listing {
namespace {

const platform::NumberSeparators kC{u",", u"."};
const platform::NumberSeparators kGerman{u".", u","};
const platform::NumberSeparators kSwiss{u"\u2019", u"."};

TEST(ColumnFormat, SizesGroupByThreesAndZeroIsEmpty) {
    struct Case {
        int64_t value;
        std::u16string text;
    } const cases[] = {
        {0, u""},
        {1, u"1"},
        {999, u"999"},
        {1000, u"1,000"},
        {1234567, u"1,234,567"},
        {-1234, u"-1,234"},
        {4294967295, u"4,294,967,295"},
        {std::numeric_limits<int64_t>::min(), u"-9,223,372,036,854,775,808"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatSize(c.value, kC), c.text) << c.value;
}

TEST(ColumnFormat, SeparatorsComeFromTheLocaleGiven) {
    EXPECT_EQ(FormatSize(1234567, kGerman), u"1.234.567");
    EXPECT_EQ(FormatSize(1234567, kSwiss), u"1\u2019234\u2019567");
    EXPECT_EQ(FormatRatio(523, kGerman), u"52,3%");
    // "0.0" has no grouping, even above a thousand.
    EXPECT_EQ(FormatRatio(12345, kGerman), u"1234,5%");
}

TEST(ColumnFormat, DigitStringsDropLeadingZeros) {
    EXPECT_EQ(FormatDigits(u"000", false, kC), u"");
    EXPECT_EQ(FormatDigits(u"0012345", false, kC), u"12,345");
    EXPECT_EQ(FormatDigits(u"12345678901234567890123", true, kC),
              u"-12,345,678,901,234,567,890,123");
}

TEST(ColumnFormat, RatiosHaveOneDecimal) {
    struct Case {
        int16_t perMille;
        std::u16string text;
    } const cases[] = {
        {523, u"52.3%"}, {0, u"0.0%"},        {1000, u"100.0%"},   {5, u"0.5%"},
        {-5, u"-0.5%"},  {-1234, u"-123.4%"}, {32767, u"3276.7%"}, {-32768, u"-3276.8%"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatRatio(c.perMille, kC), c.text) << c.perMille;
}

TEST(ColumnFormat, DosDatesAndTimes) {
    struct Case {
        uint16_t packed;
        std::u16string date, time;
    } const cases[] = {
        {0x2AEF, u"01/07/15", u"05:23:30"},
        {(19 << 9) | (12 << 5) | 31, u"99/12/31", u"04:60:62"},  // 1999
        {(64 << 9) | (1 << 5) | 1, u"44/01/01", u"16:01:02"},    // 2044: top bit set
        {0xFFFF, u"07/15/31", u"31:63:62"},  // 2107, out-of-range fields as given
        {0, u"80/00/00", u"00:00:00"},
        {0x85AF, u"46/13/15", u"16:45:30"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDosDate(c.packed), c.date) << c.packed;
        EXPECT_EQ(FormatDosTime(c.packed), c.time) << c.packed;
    }
}

TEST(ColumnFormat, CrcIsTheLow16BitsInFourDigits) {
    EXPECT_EQ(FormatCrc(0x1234ABCD), u"ABCD");
    EXPECT_EQ(FormatCrc(0xA), u"000A");
    EXPECT_EQ(FormatCrc(0), u"0000");
    EXPECT_EQ(FormatCrc(0xFFFF0000), u"0000");
}

TEST(ColumnFormat, AttributesAreCutThenLowerCased) {
    struct Case {
        std::u16string_view attributes;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"-RWAX", u"-rwa"},
        {u"A", u"a"},
        {u"", u""},
        {u"az09", u"az09"},
        {u"@[`{", u"@[`{"},  // beside the ASCII letters
        {u"\u00C0\u00C4\u00D6\u00DE", u"\u00E0\u00E4\u00F6\u00FE"},
        {u"\u00D7\u00DF\u00FF\u00B5", u"\u00D7\u00DF\u00FF\u00B5"},  // ×, ß, ÿ, µ stay
        {u"\u0100\u0101\u012E\u0130", u"\u0101\u0101\u012F\u0069"},  // İ is i
        {u"\u0131\u0139\u0147\u0149", u"\u0131\u013A\u0148\u0149"},
        {u"\u014A\u0176\u0178\u017D", u"\u014B\u0177\u00FF\u017E"},
        {u"\u017F\u0138\u0132\u0136", u"\u017F\u0138\u0133\u0137"},
        {u"\u0391\u03A9\u03A3\u03A2", u"\u03B1\u03C9\u03C3\u03A2"},  // U+03A2 is no letter
        {u"\u0386\u0388\u038C\u038F", u"\u03AC\u03AD\u03CC\u03CE"},
        {u"\u03AB\u03C2\u03D8\u03EE", u"\u03CB\u03C2\u03D9\u03EF"},
        {u"\u0410\u042F\u0401\u040F", u"\u0430\u044F\u0451\u045F"},
        {u"\u0460\u048A\u04C0\u04C1", u"\u0461\u048B\u04CF\u04C2"},
        {u"\u04D0\u052E\u0430\u0450", u"\u04D1\u052F\u0430\u0450"},
        {u"\uFF21\uFF3A\uFF41\uFF20", u"\uFF41\uFF5A\uFF41\uFF20"},
        {u"\u65E5\u30A2\u00C4XYZ", u"\u65E5\u30A2\u00E4x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatAttributes(c.attributes), c.expected) << "case " << &c - cases;
    }
}

TEST(ColumnFormat, MethodIsCut) {
    EXPECT_EQ(FormatMethod(u"-lh5-x"), u"-lh5-");
    EXPECT_EQ(FormatMethod(u"Defl"), u"Defl");
}

}  // namespace
}  // namespace quorvex6::listing
