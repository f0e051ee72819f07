// What quorvex-rar writes is read back byte for byte by our reader, by unrar32 and by bsdtar:
// files across several copy buffers, folders, links, UTF-8 names, names without folders,
// dot-files left out; modes and times to the nanosecond.
#include <sys/stat.h>

#include <random>

#include "backends/unrar32/rar_library.h"
#include "rar_writer_fixture.h"

namespace quorvex6::testing {
namespace {

std::string Noise(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

bool Hidden(const std::string& path) {
    return path.starts_with('.') || path.find("/.") != std::string::npos;
}

std::uint32_t PermissionsOf(const fs::path& path) {
    return static_cast<std::uint32_t>(fs::status(path).permissions() & fs::perms::all);
}

class RarWriterPeers : public Unrar32 {
  protected:
    void SetUp() override {
        Unrar32::SetUp();
        src_ = root_ / "src";
        WriteAll(src_ / "empty", "");
        WriteAll(src_ / "noise.bin", Noise(700000, 1));  // more than one copy buffer
        WriteAll(src_ / "sub/deeper/tool", "#!/bin/sh\n");
        fs::permissions(src_ / "sub/deeper/tool", fs::perms(0750));
        WriteAll(src_ /
                     "sub/\xC3\xBC"
                     "ber.txt",
                 "utf-8");
        WriteAll(src_ / ".hidden", "dot");
        WriteAll(src_ / "sub/.dot/inside", "in a dot-folder");
        fs::create_directories(src_ / "void");
        fs::create_symlink("deeper/tool", src_ / "sub/link");
    }
    fs::path src_;
};

TEST_F(RarWriterPeers, EveryReaderGetsTheTreeBack) {
    std::map<std::string, std::string> whole = ReadTree(src_);
    std::map<std::string, std::string> visible = whole;
    std::erase_if(visible, [](const auto& item) { return Hidden(item.first); });
    const std::map<std::string, std::string> flat = {{"tool", whole.at("sub/deeper/tool")},
                                                     {"empty", ""}};
    struct Case {
        const char* what;
        std::vector<std::string> switches_and_names;  // after the archive
        std::map<std::string, std::string> tree;
    };
    const Case cases[] = {
        {"everything", {"-r", "*"}, whole},
        {"no names at all", {}, whole},
        {"without dot-files", {"-r", "-es", "-eh", "*"}, visible},
        {"without folders", {"-ep", "sub/deeper/tool", "empty"}, flat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path archive = root_ / "t.rar";
        fs::remove(archive);
        std::vector<std::string> args = {"a", "-std", archive.string()};
        args.insert(args.end(), c.switches_and_names.begin(), c.switches_and_names.end());
        const Ran ran = Writer(src_, args);
        ASSERT_EQ(ran.code, 0) << ran.out;

        const fs::path by_bsdtar = root_ / "bsdtar", by_unrar32 = root_ / "unrar32";
        fs::remove_all(by_bsdtar);
        fs::remove_all(by_unrar32);
        fs::create_directories(by_bsdtar);
        ASSERT_EQ(RunIn(by_bsdtar, {"bsdtar", "-xf", archive.string()}).code, 0);
        EXPECT_EQ(ReadTree(by_bsdtar), c.tree);
        ASSERT_EQ(Extract(archive, by_unrar32), 0);
        EXPECT_EQ(ReadTree(by_unrar32), c.tree);
    }
}

TEST_F(RarWriterPeers, ModesKindsAndNanosecondTimesAreStored) {
    const timespec when[2] = {{1600000000, 123456789}, {1600000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, (src_ / "sub/deeper/tool").c_str(), when, 0), 0);
    const fs::path archive = root_ / "t.rar";
    ASSERT_EQ(Writer(src_, {"a", "-r", archive.string(), "sub", "void"}).code, 0);
    std::map<std::string, backend::rar::Entry> entries;
    for (const backend::rar::Entry& e : EntriesOf(archive)) entries[e.name] = e;
    struct Case {
        std::string name;
        std::uint32_t mode;
    };
    const Case cases[] = {
        {"sub/deeper/tool", 0100750},
        {"sub/link", 0120777},
        {"void/", 040000 | PermissionsOf(src_ / "void")},
        {"sub/", 040000 | PermissionsOf(src_ / "sub")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(entries.count(c.name), 1u);
        const backend::rar::Entry& e = entries[c.name];
        EXPECT_EQ(e.attributes, c.mode);
        EXPECT_TRUE(e.unix_mode);
        EXPECT_EQ(e.method, 0);
    }
    EXPECT_EQ(entries["sub/deeper/tool"].mtime.seconds, 1600000000);
    EXPECT_EQ(entries["sub/deeper/tool"].mtime.nanoseconds, 123456789u);
    EXPECT_EQ(entries["sub/link"].redirection, backend::rar::Redirection::kUnixSymlink);
    EXPECT_EQ(entries["sub/link"].link_target, "deeper/tool");
}

}  // namespace
}  // namespace quorvex6::testing
