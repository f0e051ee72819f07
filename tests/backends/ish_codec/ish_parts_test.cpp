// The codec's parts on their own: the CRC, the repair of every pair of lines, names, lines of
// text.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "backends/ish_codec/ish_support.h"
#include "backends/lh_codecs/memory_streams.h"
#include "codecs/ish/check_lines.h"
#include "codecs/ish/crc16.h"
#include "codecs/ish/first_line.h"
#include "codecs/ish/line_text.h"
#include "codecs/ish/text_lines.h"

namespace quorvex6::backend::codecs::ish::test {
namespace {

using codecs::test::MemorySource;

TEST(Crc16, MatchesTheCheckValueAtEveryLength) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16(kCrcStart, reinterpret_cast<const std::uint8_t*>(check.data()), check.size()),
              0x29B1);
    // The eight-byte steps against one byte at a time.
    Bytes data = random_bytes(100, 1);
    for (std::size_t n = 0; n <= data.size(); ++n) {
        std::uint16_t bytewise = kCrcStart;
        for (std::size_t i = 0; i < n; ++i) bytewise = Crc16(bytewise, &data[i], 1);
        ASSERT_EQ(Crc16(kCrcStart, data.data(), n), bytewise) << n;
    }
}

// Every pair of lines 1..M, with the diagonal line, and every single line without it.
TEST(CheckLines, EveryPairOfLostLinesIsRebuilt) {
    for (Variant v : {Variant::kJis7, Variant::kShiftJis}) {
        const Layout& l = LayoutOf(v);
        const std::size_t m = l.vertical();
        Grid clean{};
        Bytes payload = random_bytes(l.payload() * l.payload(), 2);
        for (std::size_t n = 1; n <= l.payload(); ++n) {
            clean[n][0] = static_cast<std::uint8_t>(n);
            std::copy_n(payload.begin() + static_cast<std::ptrdiff_t>((n - 1) * l.payload()),
                        l.payload(), clean[n].begin() + 1);
        }
        ComputeCheckRows(clean, l);
        for (std::size_t a = 1; a <= m; ++a) {
            for (std::size_t b = a; b <= m; ++b) {
                Grid g = clean;
                std::vector<std::size_t> lost =
                    a == b ? std::vector<std::size_t>{a} : std::vector<std::size_t>{a, b};
                for (std::size_t n : lost) g[n].fill(0xEE);
                ASSERT_TRUE(RebuildRows(g, l, lost, true)) << a << "," << b;
                for (std::size_t n : lost)
                    ASSERT_EQ(g[n], clean[n]) << l.name << " " << a << "," << b;
                if (a == b) {
                    g[a].fill(0xEE);
                    ASSERT_TRUE(RebuildRows(g, l, lost, false)) << a;
                    ASSERT_EQ(g[a], clean[a]) << a;
                } else {
                    EXPECT_FALSE(RebuildRows(g, l, lost, false)) << a << "," << b;
                }
            }
        }
        std::vector<std::size_t> three = {1, 2, 3};
        EXPECT_FALSE(RebuildRows(clean, l, three, true));
    }
}

TEST(Names, FieldAndShortName) {
    struct Case {
        const char* name;
        const char* field;
        const char* short_name;
    };
    const Case cases[] = {
        {"t100.txt", "t100    txt", "t100.txt"},
        {"README.TXT", "README  TXT", "README.TXT"},
        {"a_long_file_name.dat", "a_long_file", "a_long_f.ile"},
        {"noext", "noext      ", "noext"},
        {"abcdefgh.c", "abcdefghc  ", "abcdefgh.c"},
        {".profile", "        pro", ".pro"},
        {"", "           ", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<char, 11> field = NameField(c.name);
        EXPECT_EQ(std::string(field.begin(), field.end()), c.field);
        EXPECT_EQ(ShortNameOf(field), c.short_name);
    }
}

TEST(Names, FromTheFirstLine) {
    struct Case {
        const char* line;
        std::optional<std::string> name;
    };
    const Case cases[] = {
        {"<<< t100.txt for UNIX ( use jis7 ish ) [ 9 lines ] UNIX Ver2.01a5 >>>", "t100.txt"},
        {"[32m<<< a b.txt for MS-DOS or Human68K ( use jis8 ish ) [ 9 lines ] x >>>[m", "a b.txt"},
        {"<<< plans for today.txt for UNIX ( use jis7 ish ) [ 9 lines ] x >>>",
         "plans for today.txt"},
        {"<<< Part 1/3 [ 80 lines ] >>>", std::nullopt},
        {"<<< no marks at all", std::nullopt},
        {"--- t100.txt (9/9) ---", std::nullopt},
        {"<<< for ( use  >>>", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(NameInFirstLine(c.line), c.name);
    }
}

TEST(Lines, ForeignTextDoesNotDecode) {
    Record r;
    struct Case {
        Variant v;
        std::string text;
        bool decodes;
    };
    const Case cases[] = {
        {Variant::kJis7, std::string(78, '!'), true},
        {Variant::kJis7, std::string(77, '!'), false},
        {Variant::kJis7, std::string(77, '!') + "#", false},
        {Variant::kJis7, "z" + std::string(77, '!'), false},   // a 6-bit group can't be 64 or more
        {Variant::kJis7, std::string(76, '!') + "~~", false},  // 13-bit group out of range
        {Variant::kJis8, std::string(79, '#'), true},
        {Variant::kJis8, std::string(79, '!'), false},
        {Variant::kShiftJis, std::string(78, '#'), false},
        {Variant::kNonKana, std::string(79, '!'), true},
        {Variant::kNonKana, std::string(78, '!'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(LayoutOf(c.v).name) + " " + c.text);
        EXPECT_EQ(DecodeLine(c.v, reinterpret_cast<const std::uint8_t*>(c.text.data()),
                             c.text.size(), r.bytes.data()),
                  c.decodes);
    }
}

TEST(TextLines, SplitCleanAndSkipWhatIsTooLong) {
    std::string text = "one\r\ntw\x1bo  \n" + std::string(kMaxLine + 1, 'x') + "\nthree\n\n" +
                       std::string(kMaxLine, 'y') + "\nlast";
    Bytes bytes(text.begin(), text.end());
    for (std::size_t step : {std::size_t{1}, std::size_t{5}, SIZE_MAX}) {
        SCOPED_TRACE(step);
        MemorySource in(bytes, step);
        TextLines lines(in);
        std::vector<std::string> got;
        while (auto line = lines.next()) got.emplace_back(line->begin(), line->end());
        std::vector<std::string> want = {"one", "two", "three", "", std::string(kMaxLine, 'y'),
                                         "last"};
        EXPECT_EQ(got, want);
    }
}

TEST(FirstLine, AnnouncesTheLinesAsTheFormatCounts) {
    struct Case {
        Variant v;
        std::uint32_t size;
        std::uint64_t lines;
    };
    // 9 and 94 as in the reference vectors; 2519 bytes make 49 lines before the titles.
    for (Case c : {Case{Variant::kJis7, 100, 9}, Case{Variant::kJis7, 5000, 94},
                   Case{Variant::kShiftJis, 5000, 82}, Case{Variant::kJis7, 2519, 51}}) {
        EXPECT_EQ(AnnouncedLines(info_for("x", c.size, c.v)), c.lines) << c.size;
    }
    EXPECT_EQ(TitleLine(info_for("x.bin", 1, Variant::kJis7), 50, 94), "--- x.bin (50/94) ---");
}

}  // namespace
}  // namespace quorvex6::backend::codecs::ish::test
