// Links, modes and names: packed from disk, read back by us and by every other LHA reader here.
#include <map>
#include <set>
#include <vector>

#include "backends/unlha32/lha_library.h"

namespace quorvex6::testing {
namespace {

using LhaPeers = LhaLibrary;

uint32_t ModeOf(const fs::path& p) {
    return static_cast<uint32_t>(fs::symlink_status(p).permissions() & fs::perms::mask);
}

// lhasa and libarchive make links of these members; jLHA leaves them out and 7-Zip makes
// folders of them (neither knows the convention), but both still read every file.
TEST_F(LhaPeers, LinksArePackedAndComeBackAsLinks) {
    const fs::path src = root_ / "src";
    WriteAll(src / "t.txt", "target\n");
    WriteAll(src / "sub/in.txt", "inside\n");
    fs::create_symlink("t.txt", src / "ln");
    fs::create_symlink("../t.txt", src / "sub/up");
    fs::create_symlink("sub", src / "folder-link");
    const auto tree = ReadTree(src);
    std::string log;
    ASSERT_EQ(Pack(root_ / "l.lzh", src, &log), 0) << log;
    EXPECT_EQ(log.find("skipped"), std::string::npos) << log;
    lha_.Command("Unlha", "l " + Quote(root_ / "l.lzh"), &log);
    EXPECT_NE(log.find("sub/up -> ../t.txt"), std::string::npos) << log;
    ASSERT_EQ(Extract(root_ / "l.lzh", root_ / "ours", &log), 0) << log;
    EXPECT_EQ(ReadTree(root_ / "ours"), tree);
    const std::set<std::string> make_links = {"lhasa", "bsdtar"};
    for (const LhaReader& reader : kLhaReaders) {
        ExtractWith(reader, root_ / "l.lzh", root_ / reader.name);
        auto got = ReadTree(root_ / reader.name);
        if (make_links.count(reader.name)) {
            EXPECT_EQ(got, tree) << reader.name;
        } else {
            EXPECT_EQ(got["t.txt"], "target\n") << reader.name;
            EXPECT_EQ(got["sub/in.txt"], "inside\n") << reader.name;
        }
    }
}

// Through the shared link rules: one that leads out is refused, the rest come out.
TEST_F(LhaPeers, LinksThatLeadOutAreRefused) {
    const fs::path src = root_ / "src";
    WriteAll(src / "a.txt", "a");
    fs::create_symlink("../../escape", src / "out");
    fs::create_symlink("/etc", src / "absolute");
    fs::create_symlink("a.txt", src / "z-inside");
    std::string log;
    ASSERT_EQ(Pack(root_ / "o.lzh", src, &log), 0) << log;
    EXPECT_EQ(Extract(root_ / "o.lzh", root_ / "x/dest", &log), result::kAccessDenied) << log;
    EXPECT_NE(log.find("refused out"), std::string::npos) << log;
    EXPECT_NE(log.find("refused absolute"), std::string::npos) << log;
    EXPECT_EQ(ReadTree(root_ / "x/dest"),
              (std::map<std::string, std::string>{{"a.txt", "a"}, {"z-inside", "-> a.txt"}}));
}

// lhasa and libarchive apply the stored mode, so every member must carry one (readers
// lacking it choose 0600 or 0666); 7-Zip and jLHA apply none.
TEST_F(LhaPeers, ModesComeBackThroughTheReadersThatApplyThem) {
    const fs::path src = root_ / "src";
    const std::map<std::string, uint32_t> modes = {
        {"rw.txt", 0644}, {"private.txt", 0600}, {"script.sh", 0755}, {"readonly.txt", 0444}};
    for (const auto& [name, mode] : modes) {
        WriteAll(src / name, name);
        fs::permissions(src / name, static_cast<fs::perms>(mode));
    }
    std::string log;
    ASSERT_EQ(Pack(root_ / "m.lzh", src, &log), 0) << log;
    ASSERT_EQ(Extract(root_ / "m.lzh", root_ / "ours", &log), 0) << log;
    for (const auto& [name, mode] : modes) EXPECT_EQ(ModeOf(root_ / "ours" / name), mode) << name;
    for (const LhaReader& reader : kLhaReaders) {
        if (std::string(reader.name) != "lhasa" && std::string(reader.name) != "bsdtar") continue;
        ExtractWith(reader, root_ / "m.lzh", root_ / reader.name);
        for (const auto& [name, mode] : modes)
            EXPECT_EQ(ModeOf(root_ / reader.name / name), mode) << reader.name << " " << name;
    }
}

const std::string kKana = "ﾃｽ.txt";             // Shift_JIS C3 BD, also valid UTF-8
const std::string kKanaBytes = "\xc3\xbd.txt";  // as readers that keep stored bytes write it
const std::string kAccent = "café.txt";         // no Shift_JIS form: stored as UTF-8
const std::string kLatin1 = "caf\xe9.txt";      // no text at all: stored as its bytes
const std::string kBackslash = "back\\slash.txt";

// Each name as every reader gives it back; absent where a reader disagrees: jLHA takes every
// name for Shift_JIS, 7-Zip splits at '\' and lhasa and 7-Zip write the stored bytes. libarchive
// cannot convert a name that is no text and stops there, so it reads an archive without one.
TEST_F(LhaPeers, NamesComeBackAsTheyWereOnDisk) {
    const fs::path src = root_ / "src";
    for (const std::string& name : {kKana, kAccent, kLatin1, kBackslash})
        WriteAll(src / name, name);
    WriteAll(src / "inv\xff\xfe.txt", "0xFF");
    std::string log;
    EXPECT_EQ(Pack(root_ / "n.lzh", src, &log), result::kUnknownType) << log;
    EXPECT_NE(log.find("not packed inv\xff\xfe.txt"), std::string::npos) << log;
    fs::remove(src / "inv\xff\xfe.txt");
    const auto tree = ReadTree(src);
    ASSERT_EQ(Extract(root_ / "n.lzh", root_ / "ours", &log), 0) << log;
    EXPECT_EQ(ReadTree(root_ / "ours"), tree);

    fs::remove(src / kLatin1);
    ASSERT_EQ(Pack(root_ / "text.lzh", src, &log), 0) << log;
    using Names = std::vector<std::pair<std::string, std::string>>;  // on disk, as extracted
    const std::map<std::string, Names> expected = {
        {"lha", {{kKana, kKana}, {kBackslash, kBackslash}}},
        {"lhasa",
         {{kKana, kKanaBytes}, {kAccent, kAccent}, {kLatin1, kLatin1}, {kBackslash, kBackslash}}},
        {"7zz", {{kKana, kKanaBytes}, {kAccent, kAccent}, {kLatin1, kLatin1}}},
        {"bsdtar", {{kKana, kKana}, {kAccent, kAccent}, {kBackslash, kBackslash}}},
    };
    for (const LhaReader& reader : kLhaReaders) {
        const std::string name = reader.name;
        ExtractWith(reader, root_ / (name == "bsdtar" ? "text.lzh" : "n.lzh"), root_ / name);
        for (const auto& [disk, extracted] : expected.at(name))
            EXPECT_EQ(ReadAll(root_ / name / extracted), disk) << name << " " << extracted;
    }
}

}  // namespace
}  // namespace quorvex6::testing
