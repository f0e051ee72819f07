// Damage that used to pass unseen or take good members with it: a first header that a search for
// a self-extractor's archive stepped over, and headers declaring more than their data holds.
#include <fstream>

#include "backends/unlha32/lha_library.h"
#include "formats/lha/crc16.h"
#include "formats/lha/header_writer.h"

namespace quorvex6::testing {
namespace {

using LhaDamage = LhaLibrary;

std::string Bytes(std::vector<uint8_t> b) { return std::string(b.begin(), b.end()); }

// One member as its header declares it, whatever its data.
std::string Member(const std::string& name, const std::string& method, const std::string& data,
                   uint64_t declared) {
    backend::lha::Entry e;
    e.name = name;
    e.mtime = 1700000000;
    backend::lha::HeaderBytes h = backend::lha::BuildLevel2Header(e, declared > 0xffffffffu);
    const auto* d = reinterpret_cast<const uint8_t*>(data.data());
    EXPECT_TRUE(backend::lha::PatchHeader(h, method, data.size(), declared,
                                          backend::lha::Crc16Update(0, d, data.size())));
    return Bytes(h.bytes) + data;
}

std::string Stored(const std::string& name, const std::string& data) {
    return Member(name, "lh0", data, data.size());
}

std::string Noise(size_t n) {
    std::string s(n, '\0');
    uint32_t v = 12345;
    for (char& c : s) {
        v = v * 1103515245 + 12345;
        c = static_cast<char>(v >> 24);
    }
    return s;
}

// The search for a self-extractor's archive may step over a damaged first header to the next
// member: that is damage unless a program stands before the archive and no damaged header does.
TEST_F(LhaDamage, AMemberLostBeforeTheFirstHeaderIsReported) {
    const std::string two = Stored("a.txt", std::string(3000, 'a')) + Stored("b.txt", "bee") + '\0';
    const std::string one = Stored("a.txt", std::string(3000, 'a')) + '\0';
    const std::string stub = "MZ" + Noise(5000);
    const std::string elf =
        "\x7f"
        "ELF" +
        Noise(5000);
    struct Case {
        const char* what;
        std::string prefix;
        std::string archive;
        size_t flip;  // offset in the archive; 0 for none
        int32_t code;
        bool second_extracted;
    };
    for (const Case& c : {
             Case{"method's first '-'", "", two, 2, result::kBrokenHeader, true},
             Case{"level byte", "", two, 20, result::kBrokenHeader, true},
             Case{"self-extractor", stub, two, 0, 0, true},
             Case{"ELF self-extractor", elf, two, 0, 0, true},
             Case{"self-extractor's first header", stub, two, 20, result::kBrokenHeader, true},
             Case{"text before the archive", "mail text\n", two, 0, result::kBrokenHeader, true},
             Case{"the only member", "", one, 2, result::kBrokenHeader, false},
         }) {
        std::string bytes = c.prefix + c.archive;
        if (c.flip != 0) bytes[c.prefix.size() + c.flip] ^= 0x10;
        WriteAll(root_ / "d.lzh", bytes);
        const fs::path out = root_ / "out";
        fs::remove_all(out);
        std::string log;
        EXPECT_EQ(Extract(root_ / "d.lzh", out, &log), c.code) << c.what << "\n" << log;
        EXPECT_EQ(fs::exists(out / "b.txt"), c.second_extracted) << c.what;
        EXPECT_EQ(fs::exists(out / "a.txt"), c.flip == 0 && c.second_extracted) << c.what;
        for (int mode : {0, 1})
            EXPECT_EQ(Check(root_ / "d.lzh", mode), c.code == 0 ? 1 : 0) << c.what;
        if (c.code != 0) {
            EXPECT_NE(lha_.Command("Unlha", "l " + Quote(root_ / "d.lzh"), &log), 0) << c.what;
            EXPECT_NE(lha_.Command("Unlha", "d " + Quote(root_ / "d.lzh") + " b.txt"), 0) << c.what;
        }
    }
}

// A header that declares more than its data can decode to is broken: that member fails with
// 0x8017 and a line naming it, and it takes no free space from the good members.
TEST_F(LhaDamage, ImpossibleSizesFailTheirMemberAlone) {
    struct Case {
        const char* what;
        std::string member;
        const char* opts;
    };
    for (const Case& c : {
             Case{"stored, declaring 1 TB", Member("huge.bin", "lh0", "hello", uint64_t{1} << 40),
                  "-x1 -c1 -n"},
             Case{"stored, declaring 1 TB, no space check",
                  Member("huge.bin", "lh0", "hello", uint64_t{1} << 40), "-x1 -c1 -f1 -n"},
             Case{"stored, declaring less", Member("huge.bin", "lh0", "hello", 2), "-x1 -c1 -n"},
             Case{"compressed, 1 KB declaring 1 TB",
                  Member("huge.bin", "lh5", Noise(1000), uint64_t{1} << 40), "-x1 -c1 -n"},
         }) {
        WriteAll(root_ / "h.lzh",
                 Stored("a.txt", "alpha") + c.member + Stored("c.txt", "gamma") + '\0');
        const fs::path out = root_ / "out";
        fs::remove_all(out);
        std::string log;
        EXPECT_EQ(Extract(root_ / "h.lzh", out, &log, c.opts), result::kBrokenHeader)
            << c.what << "\n"
            << log;
        EXPECT_NE(log.find("failed huge.bin: the header declares"), std::string::npos)
            << c.what << "\n"
            << log;
        EXPECT_EQ(ReadTree(out),
                  (std::map<std::string, std::string>{{"a.txt", "alpha"}, {"c.txt", "gamma"}}))
            << c.what;
    }
}

}  // namespace
}  // namespace quorvex6::testing
