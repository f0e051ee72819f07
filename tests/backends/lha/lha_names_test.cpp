// Names, links and modes as the container writes them and as other writers' headers hold them.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "backends/lha/memory_bytes.h"
#include "formats/lha/crc16.h"
#include "formats/lha/header_reader.h"
#include "formats/lha/member_io.h"
#include "formats/lha/names.h"

namespace quorvex6::backend::lha {
namespace {

using test::Bytes;
using test::MemoryInput;
using test::MemoryOutput;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes le(std::uint64_t v, int n) {
    Bytes b;
    for (int k = 0; k < n; ++k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    return b;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

using Extended = std::vector<std::pair<std::uint8_t, Bytes>>;

// Extended headers as levels 1 and 2 chain them: the first size, then type, data and the size
// of the next, ending in a zero size.
Bytes chain(const Extended& extended) {
    Bytes out;
    for (const auto& [type, data] : extended)
        out = cat({out, le(1 + data.size() + 2, 2), {type}, data});
    return cat({out, le(0, 2)});
}

const Bytes kData = {'a', 'b', 'c'};

Bytes common(std::uint64_t packed, int level) {
    return cat({B("-lh0-"),
                le(packed, 4),
                le(kData.size(), 4),
                le(0x52a16c20, 4),
                {0x20},
                {static_cast<std::uint8_t>(level)}});
}

std::uint8_t sum(const Bytes& b) {
    std::uint8_t s = 0;
    for (std::size_t i = 2; i < b.size(); ++i) s = static_cast<std::uint8_t>(s + b[i]);
    return s;
}

Bytes crc_of_data() { return le(Crc16Update(0, kData.data(), kData.size()), 2); }

// Level 0, with the Unix extension area when `unix_area`.
Bytes level0(const Bytes& name, bool unix_area) {
    Bytes area =
        unix_area ? cat({B("U"), {0}, le(1600000000, 4), le(0100644, 2), le(0, 4)}) : Bytes{};
    Bytes h = cat({{0, 0},
                   common(kData.size(), 0),
                   {static_cast<std::uint8_t>(name.size())},
                   name,
                   crc_of_data(),
                   area});
    h[0] = static_cast<std::uint8_t>(h.size() - 2);
    h[1] = sum(h);
    return cat({h, kData, {0}});
}

// Level 1: the extended headers count as packed data.
Bytes level1(char os, const Bytes& name, const Extended& extended) {
    Bytes ext = chain(extended);
    Bytes first(ext.begin(), ext.begin() + 2);
    Bytes rest(ext.begin() + 2, ext.end());
    Bytes h = cat({{0, 0},
                   common(kData.size() + rest.size(), 1),
                   {static_cast<std::uint8_t>(name.size())},
                   name,
                   crc_of_data(),
                   {static_cast<std::uint8_t>(os)},
                   first});
    h[0] = static_cast<std::uint8_t>(h.size() - 2);
    h[1] = sum(h);
    return cat({h, rest, kData, {0}});
}

Bytes level2(char os, const Extended& extended, const char* method = "-lh0-") {
    Bytes h = cat({le(0, 2),
                   common(kData.size(), 2),
                   crc_of_data(),
                   {static_cast<std::uint8_t>(os)},
                   chain(extended)});
    std::copy(method, method + 5, h.begin() + 2);
    const Bytes size = le(h.size(), 2);
    std::copy(size.begin(), size.end(), h.begin());
    return cat({h, kData, {0}});
}

Entry read_first(const Bytes& archive) {
    MemoryInput in(archive);
    Entry e;
    EXPECT_TRUE(ReadHeader(in, 0, e));
    return e;
}

Bytes pack_one(Entry e, const Bytes& data) {
    MemoryOutput out;
    MemoryInput in(data);
    EXPECT_NO_THROW(PackMember(out, e, e.has_data() ? &in : nullptr, "lh5")) << e.name;
    EXPECT_NO_THROW(WriteEnd(out));
    return out.bytes;
}

Entry file_entry(const std::string& name) {
    Entry e;
    e.name = name;
    e.mtime = 1700000000;
    e.unix_mode = 0644;
    return e;
}

// Shift_JIS is preferred where a name is valid in both, so a UTF-8 name must say so; names that
// are neither come back as their bytes; '\' is part of a name written on Unix.
TEST(Names, WhatIsWrittenReadsBackUnchanged) {
    struct Case {
        const char* what;
        std::string name;
        bool utf8;
    };
    for (const Case& c : {
             Case{"half-width kana, also valid UTF-8", "ﾃｽ.txt", false},
             Case{"no Shift_JIS form", "ý.txt", true},
             Case{"accents whose UTF-8 bytes read as kana", "café/naïve.txt", true},
             Case{"euro sign", "€.txt", true},
             Case{"0x5C as a second byte", "表/能.txt", false},
             Case{"backslash in a file name", "back\\slash.txt", false},
             Case{"backslash in a folder name", "dir\\name/f.txt", false},
             Case{"Latin-1 bytes", "caf\xe9.txt", false},
             Case{"Latin-1 folder", "d\xe9j\xe0/f\xfc.txt", false},
         }) {
        Entry e = read_first(pack_one(file_entry(c.name), kData));
        EXPECT_EQ(e.name, c.name) << c.what;
        EXPECT_EQ(e.utf8_name, c.utf8) << c.what;
    }
}

// How other writers place names: which bytes separate folders depends on the field, the
// header level and the system named in the header.
TEST(Names, SeparatorsFollowTheFieldAndTheSystem) {
    const Bytes kana = {0xc3, 0xbd, '.', 't', 'x', 't'};
    struct Case {
        const char* what;
        Bytes archive;
        std::string name;
    };
    for (const Case& c : {
             Case{"level 0 from MS-DOS", level0(B("sub\\deep\\f.txt"), false), "sub/deep/f.txt"},
             Case{"level 0 from Unix",
                  level0(B("a\xff"
                           "b\\c.txt"),
                         true),
                  "a/b\\c.txt"},
             Case{"level 1 folder header", level1('M', B("f.txt"), {{0x02, B("sub\xff")}}),
                  "sub/f.txt"},
             Case{"level 1 from Unix", level1('U', B("x\\y.txt"), {}), "x\\y.txt"},
             Case{"0xFF in a level 2 file name", level2('U', {{0x01, B("inv\xff\xfe.txt")}}),
                  "inv\xff\xfe.txt"},
             Case{"level 2 file name from MS-DOS", level2('M', {{0x01, B("a\\b.txt")}}), "a/b.txt"},
             Case{"level 2 folder from Unix",
                  level2('U', {{0x01, B("x.txt")}, {0x02, B("d\\e\xff")}}), "d\\e/x.txt"},
             Case{"level 2 folder from Windows",
                  level2('W', {{0x01, B("x.txt")}, {0x02, B("d\\e\xff")}}), "d/e/x.txt"},
             Case{"UTF-8 named by its code page", level2('U', {{0x01, kana}, {0x46, le(65001, 4)}}),
                  "ý.txt"},
             Case{"Shift_JIS named by its code page",
                  level2('U', {{0x01, kana}, {0x46, le(932, 4)}}), "ﾃｽ.txt"},
             Case{"unnamed: Shift_JIS first", level2('U', {{0x01, kana}}), "ﾃｽ.txt"},
             Case{"MS-DOS code page", level2('M', {{0x01, B("caf\x82.txt")}}), "café.txt"},
             Case{"Unix bytes", level2('U', {{0x01, B("caf\x82.txt")}}), "caf\x82.txt"},
         }) {
        EXPECT_EQ(read_first(c.archive).name, c.name) << c.what;
    }
}

// Every member carries its mode, 0644 included, with the kind bits Unix tools write.
TEST(Modes, EveryMemberSaysItsMode) {
    Entry folder = file_entry("dir/");
    folder.folder = true;
    folder.unix_mode = 0755;
    Entry link = file_entry("ln");
    link.link_target = "dir/f.txt";
    link.unix_mode = 0777;
    struct Case {
        Entry entry;
        std::uint16_t stored;
    };
    for (const Case& c :
         {Case{file_entry("f.txt"), 0100644}, Case{folder, 040755}, Case{link, 0120777}}) {
        const Bytes archive = pack_one(c.entry, kData);
        const Bytes mode_header = cat({{0x50}, le(c.stored, 2)});
        EXPECT_NE(
            std::search(archive.begin(), archive.end(), mode_header.begin(), mode_header.end()),
            archive.end())
            << c.entry.name;
        EXPECT_EQ(read_first(archive).unix_mode, c.entry.unix_mode) << c.entry.name;
    }
}

// A link is a -lhd- member named "name|target" with a link's mode; Unix tools cut the whole
// at its last '/', so a target's folders sit in the folder header.
TEST(Links, StoredAsUnixToolsStoreThem) {
    Entry link = file_entry("dir/ln");
    link.link_target = "../t/f.txt";
    link.unix_mode = 0777;
    const Bytes archive = pack_one(link, {});
    const Bytes folder_header =
        B("\x02"
          "dir\xffln|..\xfft\xff");
    EXPECT_NE(
        std::search(archive.begin(), archive.end(), folder_header.begin(), folder_header.end()),
        archive.end());
    EXPECT_EQ(std::string(archive.begin() + 2, archive.begin() + 7), "-lhd-");
    struct Case {
        const char* what;
        Bytes archive;
        std::string name;
        std::optional<std::string> target;
    };
    for (const Case& c : {
             Case{"ours", archive, "dir/ln", "../t/f.txt"},
             Case{"target wholly in the folder header",
                  level2('U', {{0x01, B("")}, {0x02, B("ln|d\xff")}, {0x50, le(0120777, 2)}},
                         "-lhd-"),
                  "ln", "d/"},
             Case{"no '|'", level2('U', {{0x01, B("ln")}, {0x50, le(0120777, 2)}}, "-lhd-"), "ln",
                  ""},
             Case{
                 "a folder's mode",
                 level2('U', {{0x01, B("")}, {0x02, B("a|b\xff")}, {0x50, le(040755, 2)}}, "-lhd-"),
                 "a|b/", std::nullopt},
         }) {
        Entry e = read_first(c.archive);
        EXPECT_EQ(e.name, c.name) << c.what;
        EXPECT_EQ(e.link_target, c.target) << c.what;
        EXPECT_EQ(e.folder, !c.target) << c.what;
        EXPECT_FALSE(e.has_data()) << c.what;
    }
}

TEST(Names, ThoseReadersWouldSplitAreRefused) {
    EXPECT_TRUE(UnstorableName("inv\xff\xfe.txt", std::nullopt));
    EXPECT_TRUE(UnstorableName("ln", std::string("a\xff")));
    EXPECT_TRUE(UnstorableName("l|n", std::string("t")));
    EXPECT_FALSE(UnstorableName("l|n.txt", std::nullopt));
    EXPECT_FALSE(UnstorableName("ln", std::string("t|u")));
}

}  // namespace
}  // namespace quorvex6::backend::lha
