// Generated files through the encoder and back, at the sizes where lines and blocks turn over,
// alone and several in one text, read in pieces of any size.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backends/ish_codec/ish_support.h"
#include "backends/lh_codecs/memory_streams.h"
#include "codecs/ish/line_text.h"

namespace quorvex6::backend::codecs::ish::test {
namespace {

using codecs::test::MemorySink;
using codecs::test::MemorySource;

// Sizes around the turns of a variant with `p` payload bytes a line (the file's CRC takes two
// more bytes of the stream).
std::vector<std::size_t> sizes_for(std::size_t p) {
    return {0, 1, p - 3, p - 2, p - 1, p, p * p - 3, p * p - 2, p * p - 1, 2 * p * p + 5};
}

TEST(RoundTrip, EverySizeWhereALineOrBlockTurnsOver) {
    for (Variant v : kVariants) {
        for (std::size_t size : sizes_for(LayoutOf(v).payload())) {
            SCOPED_TRACE(std::string(LayoutOf(v).name) + " size " + std::to_string(size));
            Bytes data = random_bytes(size, static_cast<unsigned>(size));
            Bytes text = encode(info_for("gen.bin", size, v), data, 1000);
            ASSERT_FALSE(text.empty());
            std::vector<Decoded> files = decode_all(text, 4093);
            ASSERT_EQ(files.size(), 1U);
            EXPECT_EQ(files[0].status, Status::kOk);
            EXPECT_EQ(files[0].data, data);
        }
    }
}

TEST(RoundTrip, ThreeMegabytesInEveryVariant) {
    Bytes data = random_bytes(3 << 20, 7);
    for (Variant v : kVariants) {
        SCOPED_TRACE(LayoutOf(v).name);
        std::vector<Decoded> files = decode_all(encode(info_for("big.bin", data.size(), v), data));
        ASSERT_EQ(files.size(), 1U);
        EXPECT_EQ(files[0].status, Status::kOk);
        EXPECT_TRUE(files[0].data == data);
    }
}

// Shift_JIS text: every lead byte has its trail; `kana` says whether half-width kana may
// stand alone.
bool valid_shift_jis(const std::string& line, bool kana) {
    bool lead = false;
    for (char ch : line) {
        auto c = static_cast<std::uint8_t>(ch);
        if (lead) {
            if (c < 0x40 || c == 0x7F || c > 0xFC) return false;
            lead = false;
        } else if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF)) {
            lead = true;
        } else if (!(c >= 0x21 && c <= 0x7E) && !(kana && c >= 0xA1 && c <= 0xDF)) {
            return false;
        }
    }
    return !lead;
}

TEST(RoundTrip, LinesAreTextOfTheirVariant) {
    Bytes data = random_bytes(20000, 11);
    for (Variant v : kVariants) {
        SCOPED_TRACE(LayoutOf(v).name);
        std::vector<std::string> lines =
            split_lines(encode(info_for("x.bin", data.size(), v), data));
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::string& l = lines[i];
            if (l.starts_with("--- ")) continue;
            ASSERT_EQ(l.size(), i <= 3 ? LayoutOf(LayoutOf(v).header).text : LayoutOf(v).text) << i;
            EXPECT_TRUE(valid_shift_jis(l, v != Variant::kNonKana)) << i << ": " << l;
            if (v == Variant::kJis7) {
                EXPECT_TRUE(std::all_of(l.begin(), l.end(), [](char c) {
                    return c > 0x20 && c < 0x7F;
                })) << i;
            }
        }
    }
}

TEST(RoundTrip, SeveralFilesInOneTextComeOutOneByOne) {
    Bytes a = random_bytes(5000, 1), b = random_bytes(70, 2);
    Bytes text = encode(info_for("a.bin", a.size(), Variant::kJis8), a);
    Bytes more = encode(info_for("b.bin", b.size(), Variant::kShiftJis), b);
    text.insert(text.end(), more.begin(), more.end());
    // The same file twice is two files, though their headers are identical.
    text.insert(text.end(), more.begin(), more.end());
    std::vector<Decoded> files = decode_all(text, 100);
    ASSERT_EQ(files.size(), 3U);
    EXPECT_EQ(files[0].info.name, "a.bin");
    EXPECT_EQ(files[0].data, a);
    for (int i : {1, 2}) {
        EXPECT_EQ(files[i].status, Status::kOk);
        EXPECT_EQ(files[i].info.name, "b.bin");
        EXPECT_EQ(files[i].data, b);
    }
}

TEST(RoundTrip, ListingWithoutDecodingSeesEveryHeaderOnce) {
    Bytes a = random_bytes(9000, 3);
    Bytes text = encode(info_for("a.bin", a.size(), Variant::kNonKana), a);
    Bytes twice = text;
    twice.insert(twice.end(), text.begin(), text.end());
    MemorySource in(twice);
    Reader reader(in);
    int files = 0;
    while (std::optional<FileInfo> info = reader.next()) {
        EXPECT_EQ(info->name, "a.bin");
        EXPECT_EQ(info->size, a.size());
        ++files;
    }
    EXPECT_EQ(files, 2);
    EXPECT_EQ(reader.status(), Status::kOk);
}

TEST(RoundTrip, MailAroundAndBetweenTheLinesIsIgnored) {
    Bytes data = random_bytes(4000, 5);
    std::vector<std::string> lines =
        split_lines(encode(info_for("m.bin", data.size(), Variant::kJis7), data));
    std::vector<std::string> mail = {"From: someone@example.org", "Subject: the file", "",
                                     std::string(78, 'x'), "> quoted " + std::string(70, '!')};
    for (std::string& l : lines) l += '\r';  // CR LF line ends
    for (std::size_t i = lines.size(); i > 4; i -= 7)
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i), "-- a comment --");
    lines.insert(lines.begin(), mail.begin(), mail.end());
    lines.emplace_back("-- ");
    lines.emplace_back("signature   ");
    std::vector<Decoded> files = decode_all(join_lines(lines), 17);
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].status, Status::kOk);
    EXPECT_EQ(files[0].data, data);
    EXPECT_EQ(files[0].info.name, "m.bin");
}

TEST(RoundTrip, DataLinesOfAnotherVariantThanTheHeaderNames) {
    Bytes data = random_bytes(6000, 9);
    for (Variant written : kVariants) {
        for (Variant named : kVariants) {
            SCOPED_TRACE(std::string(LayoutOf(written).name) + " named " +
                         std::string(LayoutOf(named).name));
            std::vector<std::string> lines =
                split_lines(encode(info_for("v.bin", data.size(), written), data));
            HeaderRecord header = MakeHeader(info_for("v.bin", data.size(), named));
            std::string header_text(LayoutOf(LayoutOf(named).header).text, ' ');
            EncodeLine(LayoutOf(named).header, header.data(),
                       reinterpret_cast<std::uint8_t*>(header_text.data()));
            for (std::size_t i = 1; i <= 3; ++i) lines[i] = header_text;
            std::vector<Decoded> files = decode_all(join_lines(lines));
            ASSERT_EQ(files.size(), 1U);
            EXPECT_EQ(files[0].status, Status::kOk);
            EXPECT_EQ(files[0].info.variant, named);
            EXPECT_EQ(files[0].data, data);
        }
    }
}

TEST(Encoder, RefusesASourceThatIsNotTheSizeItsHeaderGives) {
    Bytes data = random_bytes(1000, 4);
    struct Case {
        std::size_t declared;
        Status status;
    };
    for (Case c : {Case{1001, Status::kTruncated}, Case{999, Status::kCorrupt},
                   Case{0, Status::kCorrupt}, Case{1000, Status::kOk}}) {
        SCOPED_TRACE(c.declared);
        MemorySource in(data, 64);
        MemorySink out;
        EXPECT_EQ(
            MakeEncoder(info_for("s.bin", c.declared, Variant::kJis7))->encode(in, out, UINT64_MAX),
            c.status);
    }
}

TEST(Encoder, StopsOnceItWroteMoreThanItsLimit) {
    Bytes data = random_bytes(1 << 20, 4);
    MemorySource in(data);
    MemorySink out;
    EXPECT_EQ(MakeEncoder(info_for("s.bin", data.size(), Variant::kJis7))->encode(in, out, 100000),
              Status::kExpanded);
    EXPECT_LE(out.bytes.size(), 100000U);
}

TEST(Encoder, NamesWithLineBreaksStayOnTheirLine) {
    Bytes data = {'a'};
    std::vector<Decoded> files =
        decode_all(encode(info_for("two\nlines.txt", 1, Variant::kJis7), data));
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].info.name, "two?lines.txt");
    EXPECT_EQ(files[0].data, data);
}

}  // namespace
}  // namespace quorvex6::backend::codecs::ish::test
