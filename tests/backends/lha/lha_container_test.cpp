#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "backends/lha/memory_bytes.h"
#include "formats/lha/crc16.h"
#include "formats/lha/header_reader.h"
#include "formats/lha/header_writer.h"
#include "formats/lha/lha_format.h"
#include "formats/lha/member_io.h"

namespace quorvex6::backend::lha {
namespace {

using test::Bytes;
using test::CollectSink;
using test::MemoryInput;
using test::MemoryOutput;

std::string data_dir() { return std::string(std::getenv("QV_TEST_DATA")) + "/lha"; }

const std::vector<std::string> kFiles = {"text.txt", "far-repeat.bin", "empty.txt",
                                         "sub/deep/nested.txt", "日本語.txt"};

using test::FaultOf;

// The entries up to the end marker, or up to the fault that `end_fault` then holds.
std::vector<Entry> list(MemoryInput& in, std::optional<io::Fault>* end_fault = nullptr) {
    std::vector<Entry> out;
    std::optional<io::Fault> fault = FaultOf([&] {
        std::uint64_t at = 0;
        for (Entry e; ReadHeader(in, at, e); at = e.next_offset()) out.push_back(e);
    });
    if (end_fault) *end_fault = fault;
    return out;
}

Bytes extract(MemoryInput& in, const Entry& e, std::optional<io::Fault>* fault) {
    CollectSink sink;
    *fault = FaultOf([&] { DecodeMember(in, e, sink); });
    return sink.bytes;
}

TEST(Crc16, MatchesTheCheckValue) {
    const std::string s = "123456789";
    EXPECT_EQ(Crc16Update(0, reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), 0xBB3D);
}

class JlhaArchive : public ::testing::TestWithParam<std::string> {};

TEST_P(JlhaArchive, ListsAndExtractsEveryMemberByteForByte) {
    MemoryInput in(test::read_file(data_dir() + "/" + GetParam() + "-jlha.lzh"));
    std::optional<io::Fault> end;
    std::vector<Entry> entries = list(in, &end);
    EXPECT_EQ(end, std::nullopt);
    ASSERT_EQ(entries.size(), kFiles.size());
    const std::string method = GetParam().substr(0, 3);
    const int level = GetParam().back() - '0';
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        EXPECT_EQ(e.name, kFiles[i]);
        EXPECT_EQ(e.level, level);
        if (level == 2) {
            EXPECT_EQ(e.mtime, 1623760496) << e.name;
        }
        std::optional<io::Fault> s;
        Bytes got = extract(in, e, &s);
        EXPECT_EQ(s, std::nullopt) << e.name;
        EXPECT_EQ(got, test::read_file(data_dir() + "/files/" + kFiles[i])) << e.name;
    }
    EXPECT_EQ(entries[0].method, method);  // text compresses under every method
    EXPECT_FALSE(entries[4].utf8_name);    // stored in Shift_JIS
}

INSTANTIATE_TEST_SUITE_P(Levels, JlhaArchive,
                         ::testing::Values("lh0-level0", "lh0-level1", "lh0-level2", "lh5-level0",
                                           "lh5-level1", "lh5-level2", "lh6-level0", "lh6-level1",
                                           "lh6-level2", "lh7-level0", "lh7-level1", "lh7-level2"));

Bytes pack(const std::vector<std::pair<Entry, Bytes>>& members, const std::string& method) {
    MemoryOutput out;
    for (auto [e, data] : members) {
        MemoryInput in(data);
        EXPECT_NO_THROW(PackMember(out, e, e.folder ? nullptr : &in, method)) << e.name;
    }
    EXPECT_NO_THROW(WriteEnd(out));
    return out.bytes;
}

Entry new_entry(const std::string& name, bool folder = false) {
    Entry e;
    e.name = name;
    e.folder = folder;
    e.mtime = 1700000000;
    e.unix_mode = folder ? 0750 : 0640;
    return e;
}

TEST(Writer, Level2ArchivesReadBackWithEveryFact) {
    std::vector<std::pair<Entry, Bytes>> members;
    for (const std::string& f : kFiles)
        members.push_back({new_entry(f), test::read_file(data_dir() + "/files/" + f)});
    members.push_back({new_entry("sub/deep/", true), {}});
    members.push_back({new_entry("emoji-\xF0\x9F\x98\x80.txt"), {'x'}});
    for (const std::string method : {"lh0", "lh1", "lh5", "lh6", "lh7"}) {
        MemoryInput in(pack(members, method));
        std::optional<io::Fault> end;
        std::vector<Entry> entries = list(in, &end);
        EXPECT_EQ(end, std::nullopt) << method;
        ASSERT_EQ(entries.size(), members.size()) << method;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Entry& e = entries[i];
            EXPECT_EQ(e.name, members[i].first.name) << method;
            EXPECT_EQ(e.level, 2);
            EXPECT_EQ(e.os_id, 'U');
            EXPECT_EQ(e.mtime, 1700000000);
            EXPECT_EQ(e.unix_mode, members[i].first.unix_mode);
            EXPECT_EQ(e.folder, members[i].first.folder);
            std::optional<io::Fault> s;
            EXPECT_EQ(extract(in, e, &s), members[i].second) << e.name;
            EXPECT_EQ(s, std::nullopt);
        }
        // Incompressible and empty members are stored whatever the method.
        EXPECT_EQ(entries[2].method, "lh0");
        EXPECT_EQ(entries[0].method, method);
        EXPECT_FALSE(entries[4].utf8_name);
        EXPECT_TRUE(entries[6].utf8_name);
    }
}

// Readers lacking a mode choose their own (lhasa 0600, bsdtar as root 0666): the usual one is
// written too.
TEST(Writer, UsualModesAreWrittenToo) {
    Entry usual = new_entry("plain.txt");
    usual.unix_mode = 0644;
    Entry odd = new_entry("script.sh");
    odd.unix_mode = 0755;
    MemoryInput in(pack({{usual, {'a'}}, {odd, {'b'}}}, "lh5"));
    std::vector<Entry> entries = list(in);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].unix_mode, 0644);
    EXPECT_EQ(entries[1].unix_mode, 0755);
}

TEST(Writer, NamesInShiftJisWhenEveryCharacterFits) {
    MemoryInput in(pack({{new_entry("フォルダ/日本語.txt"), {'a'}}}, "lh5"));
    const Bytes& b = in.bytes();
    const Bytes sjis_file = {0x93, 0xfa, 0x96, 0x7b, 0x8c, 0xea, '.', 't', 'x', 't'};
    EXPECT_NE(std::search(b.begin(), b.end(), sjis_file.begin(), sjis_file.end()), b.end());
    const Bytes sjis_folder = {0x83, 0x74, 0x83, 0x48, 0x83, 0x8b, 0x83, 0x5f, 0xff};
    EXPECT_NE(std::search(b.begin(), b.end(), sjis_folder.begin(), sjis_folder.end()), b.end());
}

TEST(Reader, RefusesDamagedHeadersAndData) {
    Bytes good = pack(
        {{new_entry("a.txt"), Bytes(5000, 'q')}, {new_entry("b.txt"), Bytes(3000, 'r')}}, "lh5");
    struct Case {
        const char* what;
        std::size_t at;
        io::Fault header;
    };
    // Offsets inside the first level 2 header: method, a name byte, the packed size.
    for (const Case& c :
         {Case{"method", 2, io::Fault::kBrokenHeader}, Case{"name", 33, io::Fault::kHeaderChecksum},
          Case{"packed size", 8, io::Fault::kHeaderChecksum}}) {
        Bytes bad = good;
        bad[c.at] ^= 0x55;
        MemoryInput in(bad);
        Entry e;
        EXPECT_EQ(FaultOf([&] { ReadHeader(in, 0, e); }), c.header) << c.what;
    }
    MemoryInput whole(good);
    std::vector<Entry> entries = list(whole);
    ASSERT_EQ(entries.size(), 2u);
    Bytes flipped = good;
    flipped[entries[0].data_offset + entries[0].packed_size / 2] ^= 0x10;
    MemoryInput damaged(flipped);
    std::optional<io::Fault> s;
    extract(damaged, entries[0], &s);
    EXPECT_TRUE(s == io::Fault::kDataChecksum || s == io::Fault::kBrokenData);
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(entries[1].data_offset + 3));
    MemoryInput short_in(cut);
    Entry e;
    // The archive ends inside the member: broken data, as a truncated stream is.
    EXPECT_EQ(FaultOf([&] { ReadHeader(short_in, entries[1].header_offset, e); }),
              io::Fault::kBrokenData);
}

// Level 2 headers with the extended headers other tools write: Windows time stamps (0x41),
// 64-bit sizes (0x42), owner ids (0x51) and the Unix time (0x54).
TEST(Reader, ReadsExtendedHeadersOfOtherTools) {
    auto le = [](std::uint64_t v, int n) {
        Bytes b;
        for (int k = 0; k < n; ++k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
        return b;
    };
    auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const std::uint64_t filetime_1970 = 116444736000000000ull;
    const Bytes windows_times =
        cat({le(1, 8), le(filetime_1970 + 1500000000ull * 10000000, 8), le(2, 8)});
    const Bytes unix_time = le(1400000000, 4);
    struct Case {
        const char* what;
        std::vector<std::pair<std::uint8_t, Bytes>> extended;
        std::int64_t mtime;
        std::uint64_t original;
        std::uint16_t gid, uid;
    };
    for (const Case& c : {
             Case{"base only", {}, 1300000000, 3, 0, 0},
             Case{"unix time", {{0x54, unix_time}}, 1400000000, 3, 0, 0},
             Case{"windows time wins",
                  {{0x54, unix_time}, {0x41, windows_times}},
                  1500000000,
                  3,
                  0,
                  0},
             Case{"windows time first",
                  {{0x41, windows_times}, {0x54, unix_time}},
                  1500000000,
                  3,
                  0,
                  0},
             Case{"64-bit sizes",
                  {{0x42, cat({le(3, 8), le(5ull << 30, 8)})}},
                  1300000000,
                  5ull << 30,
                  0,
                  0},
             Case{"owner", {{0x51, cat({le(100, 2), le(1000, 2)})}}, 1300000000, 3, 100, 1000},
             Case{"short records ignored",
                  {{0x41, le(7, 4)}, {0x42, le(9, 8)}},
                  1300000000,
                  3,
                  0,
                  0},
         }) {
        Bytes tail;
        for (const auto& [type, data] : c.extended) {
            Bytes size = le(1 + data.size() + 2, 2);
            tail.insert(tail.end(), size.begin(), size.end());
            tail.push_back(type);
            tail.insert(tail.end(), data.begin(), data.end());
        }
        tail.push_back(0);
        tail.push_back(0);
        const Bytes name = {'f', '.', 't', 'x', 't'};
        const Bytes name_ext = cat({{0x01}, name, tail});
        const Bytes data = {'a', 'b', 'c'};
        Bytes h = cat({le(0, 2),
                       {'-', 'l', 'h', '0', '-'},
                       le(3, 4),
                       le(3, 4),
                       le(1300000000, 4),
                       {0x20, 2},
                       le(Crc16Update(0, data.data(), 3), 2),
                       {'U'},
                       le(1 + name.size() + 2, 2),
                       name_ext});
        const Bytes size = le(h.size(), 2);
        std::copy(size.begin(), size.end(), h.begin());
        MemoryInput in(cat({h, data, {0}}));
        Entry e;
        ASSERT_TRUE(ReadHeader(in, 0, e)) << c.what;
        EXPECT_EQ(e.name, "f.txt") << c.what;
        EXPECT_EQ(e.mtime, c.mtime) << c.what;
        EXPECT_EQ(e.original_size, c.original) << c.what;
        EXPECT_EQ(e.packed_size, 3u) << c.what;
        EXPECT_EQ(e.gid, c.gid) << c.what;
        EXPECT_EQ(e.uid, c.uid) << c.what;
    }
}

// Level 3 headers (32-bit sizes throughout) as another tool would write them.
TEST(Reader, ReadsLevel3Headers) {
    Bytes h(32, 0);
    auto put16 = [&](std::size_t at, unsigned v) {
        h[at] = v & 0xff;
        h[at + 1] = (v >> 8) & 0xff;
    };
    auto put32 = [&](std::size_t at, unsigned v) {
        put16(at, v & 0xffff);
        put16(at + 2, v >> 16);
    };
    put16(0, 4);
    std::memcpy(h.data() + 2, "-lh0-", 5);
    put32(7, 3);
    put32(11, 3);
    put32(15, 1600000000);
    h[20] = 3;
    const std::uint8_t data[] = {'a', 'b', 'c'};
    put16(21, Crc16Update(0, data, 3));
    h[23] = 'U';
    const std::string folder = "x\xFFy\xFF";
    const std::string file = "z.txt";
    put32(28, static_cast<unsigned>(1 + file.size() + 4));
    h.push_back(0x01);
    h.insert(h.end(), file.begin(), file.end());
    for (unsigned v : {static_cast<unsigned>(1 + folder.size() + 4)}) {
        for (int k = 0; k < 4; ++k) h.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    }
    h.push_back(0x02);
    h.insert(h.end(), folder.begin(), folder.end());
    for (int k = 0; k < 4; ++k) h.push_back(0);
    put32(24, static_cast<unsigned>(h.size()));
    h.insert(h.end(), data, data + 3);
    h.push_back(0);
    MemoryInput in(h);
    std::vector<Entry> entries = list(in);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "x/y/z.txt");
    EXPECT_EQ(entries[0].mtime, 1600000000);
    std::optional<io::Fault> s;
    EXPECT_EQ(extract(in, entries[0], &s), Bytes(data, data + 3));
    EXPECT_EQ(s, std::nullopt);
}

// Members of 4 GiB and more carry their sizes in the 64-bit header 0x42; each base size that
// fits is still the real one, so that readers who know no 0x42 step over a compressed member.
TEST(Writer, BaseSizesThatFitStayRealBesideTheWideOnes) {
    constexpr std::uint64_t kBig = (std::uint64_t{5} << 30) + 3;
    struct Case {
        std::uint64_t packed, original;
        std::uint32_t base_packed, base_original;
    };
    for (const Case& c :
         {Case{4000, kBig, 4000, 0xffffffffu}, Case{kBig, kBig, 0xffffffffu, 0xffffffffu},
          Case{0xffffffffu, kBig, 0xffffffffu, 0xffffffffu}, Case{4000, 9000, 4000, 9000}}) {
        HeaderBytes h = BuildLevel2Header(new_entry("huge.bin"), true);
        ASSERT_TRUE(PatchHeader(h, "lh5", c.packed, c.original, 0x1234)) << c.packed;
        const auto u32 = [&](std::size_t at) {
            return static_cast<std::uint32_t>(h.bytes[at] | h.bytes[at + 1] << 8 |
                                              h.bytes[at + 2] << 16 |
                                              static_cast<std::uint32_t>(h.bytes[at + 3]) << 24);
        };
        EXPECT_EQ(u32(7), c.base_packed) << c.packed;
        EXPECT_EQ(u32(11), c.base_original) << c.packed;
        HeaderBytes narrow = BuildLevel2Header(new_entry("huge.bin"), false);
        EXPECT_EQ(PatchHeader(narrow, "lh5", c.packed, c.original, 0), c.original <= 0xffffffffu);
    }
}

}  // namespace
}  // namespace quorvex6::backend::lha
