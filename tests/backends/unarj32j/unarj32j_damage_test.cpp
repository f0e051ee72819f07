// Damaged and truncated archives: a code for each kind of damage, never a crash or a hang, and
// never a file that looks complete but is not.
#include <cstdint>
#include <map>
#include <vector>

#include "backends/unarj32j/arj_library.h"

namespace quorvex6::testing {
namespace {

uint16_t Le16At(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 static_cast<uint8_t>(bytes[at + 1]) << 8);
}

uint32_t Le32At(const std::string& bytes, size_t at) {
    return Le16At(bytes, at) | static_cast<uint32_t>(Le16At(bytes, at + 2)) << 16;
}

// Offsets of the local headers, walked the simple way: Debian's arj writes no extended
// headers for plain files.
std::vector<size_t> HeaderOffsets(const std::string& bytes) {
    std::vector<size_t> offsets;
    size_t at = 4 + Le16At(bytes, 2) + 4 + 2;  // past the main header
    for (;;) {
        uint16_t basic = Le16At(bytes, at + 2);
        if (basic == 0) break;
        offsets.push_back(at);
        size_t data = at + 4 + basic + 4 + 2;
        at = data + Le32At(bytes, at + 4 + 12);
    }
    return offsets;
}

// Files that came out hold what was packed: damage may lose files, never cut one short.
void ExpectNothingWrong(const fs::path& dest, const std::string& what) {
    const auto packed = ReadTree(TestData("arj/files"));
    for (const auto& [path, content] : ReadTree(dest)) {
        auto it = packed.find(path);
        ASSERT_NE(it, packed.end()) << what << ": " << path;
        EXPECT_EQ(content, it->second) << what << ": " << path;
    }
}

class Unarj32jDamage : public Unarj32j {
  protected:
    fs::path Damaged(const std::string& source, size_t at, char value) {
        std::string bytes = ReadAll(Data(source));
        bytes[at] = value;
        fs::path p = root_ / ("damaged-" + std::to_string(at) + ".arj");
        WriteAll(p, bytes);
        return p;
    }
};

TEST_F(Unarj32jDamage, EachKindOfDamageHasItsCode) {
    const std::string m0 = ReadAll(Data("m0.arj"));
    const std::vector<size_t> at = HeaderOffsets(m0);
    ASSERT_EQ(at.size(), 8u);
    const size_t text_data = at[0] + 4 + Le16At(m0, at[0] + 2) + 4 + 2;
    struct Case {
        const char* what;
        size_t offset;
        char value;
        int32_t code;
        std::vector<std::string> kept;  // what still comes out
    };
    const Case cases[] = {
        {"main header CRC", 10, 0x7F, result::kHeaderCrc, {}},
        {"first header CRC", at[0] + 4 + 40, '#', result::kHeaderCrc, {}},
        {"second header's mark", at[1], 0x00, result::kBrokenHeader, {"text.txt"}},
        {"second header's size", at[1] + 3, 0x7F, result::kBrokenHeader, {"text.txt"}},
        {"stored data", text_data + 1000, '#', result::kCrcMismatch, {"far-repeat.bin", "NOEXT"}},
    };
    for (const Case& c : cases) {
        fs::path damaged = Damaged("m0.arj", c.offset, c.value);
        fs::path dest = root_ / c.what;
        std::string log;
        EXPECT_EQ(Extract(damaged, dest, "x", "", "*.*", &log), c.code) << c.what << "\n" << log;
        ExpectNothingWrong(dest, c.what);
        const auto got = ReadTree(dest);
        for (const std::string& name : c.kept) EXPECT_TRUE(got.count(name)) << c.what << name;
        EXPECT_EQ(Check(damaged, 2), 0) << c.what;
    }
}

TEST_F(Unarj32jDamage, DamagedCompressedDataFailsItsEntryAlone) {
    for (const char* name : {"m1.arj", "m4.arj"}) {
        const std::string bytes = ReadAll(Data(name));
        const std::vector<size_t> at = HeaderOffsets(bytes);
        const size_t data = at[0] + 4 + Le16At(bytes, at[0] + 2) + 4 + 2;
        fs::path damaged = Damaged(name, data + 100, static_cast<char>(bytes[data + 100] ^ 0x55));
        fs::path dest = root_ / name;
        int32_t code = Extract(damaged, dest);
        EXPECT_TRUE(code == result::kCrcMismatch || code == result::kBrokenData) << name << code;
        ExpectNothingWrong(dest, name);
        EXPECT_FALSE(fs::exists(dest / "text.txt")) << name;
        EXPECT_TRUE(fs::exists(dest / "NOEXT")) << name;
    }
}

TEST_F(Unarj32jDamage, TruncatedArchivesGiveCodesAndNoShortFiles) {
    for (const char* name : {"m0.arj", "m1.arj", "m4.arj", "dos-host.arj"}) {
        const std::string bytes = ReadAll(Data(name));
        std::vector<size_t> cuts = {0, 1, 3, 20, 50};
        for (size_t offset : HeaderOffsets(bytes)) {
            for (size_t d : {0, 1, 5, 40, 60}) cuts.push_back(offset + d);
        }
        for (size_t n = 97; n < bytes.size(); n += 4999) cuts.push_back(n);
        cuts.push_back(bytes.size() - 4);  // the end marker only
        cuts.push_back(bytes.size() - 1);
        for (size_t cut : cuts) {
            fs::path p = root_ / "cut.arj";
            WriteAll(p, bytes.substr(0, cut));
            fs::path dest = root_ / "out";
            std::string what = std::string(name) + " cut at " + std::to_string(cut);
            EXPECT_NE(Extract(p, dest), 0) << what;
            ExpectNothingWrong(dest, what);
            fs::remove_all(dest);
        }
    }
}

}  // namespace
}  // namespace quorvex6::testing
