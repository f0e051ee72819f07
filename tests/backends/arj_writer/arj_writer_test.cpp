// What quorvex-arj writes is read back byte for byte by our reader, by Debian's arj and by
// 7zz: both methods, empty, incompressible and large files, matches across ARJ's whole window,
// UNIX modes and times, links.
#include <sys/stat.h>

#include <random>

#include "arj_writer_fixture.h"

namespace quorvex6::testing {
namespace {

std::string Noise(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

std::string Text(size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "line " + std::to_string(line * 7919 % 100003) + " of the text, again\n";
    text.resize(size);
    return text;
}

class ArjWriterPeers : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        src_ = root_ / "src";
        WriteAll(src_ / "empty", "");
        WriteAll(src_ / "one", "x");
        WriteAll(src_ / "noise.bin", Noise(200000, 1));
        WriteAll(src_ / "text.txt", Text(1 << 20));
        // Repeats just inside ARJ's 26624-byte window and just beyond it: the encoder may use
        // the one and must not use the other.
        const std::string near = Noise(26000, 2), far = Noise(30000, 3);
        WriteAll(src_ / "sub/repeats.bin", near + near + far + far);
        WriteAll(src_ / "sub/deeper/tool", "#!/bin/sh\necho hi\n");
        fs::permissions(src_ / "sub/deeper/tool", fs::perms(0750));
        // arj makes no link whose target climbs out of its folder.
        fs::create_symlink("deeper/tool", src_ / "sub/link");
        const timespec times[2] = {{951782400, 0}, {951782400, 0}};  // 2000-02-29 00:00 UTC
        utimensat(AT_FDCWD, (src_ / "one").c_str(), times, 0);
    }
    fs::path src_;
};

TEST_F(ArjWriterPeers, ArjAnd7zzReadWhatBothMethodsWrite) {
    const std::map<std::string, std::string> tree = FilesOf(src_);
    for (const std::string method : {"-m0", "-m1"}) {
        SCOPED_TRACE(method);
        const fs::path archive = root_ / ("t" + method + ".arj");
        ASSERT_EQ(Writer(src_, {"u", "-r", "-a", method, archive.string()}).code, 0);
        EXPECT_EQ(Differences(ReadBack(archive), tree), std::vector<std::string>{});
        for (const backend::arj::Entry& e : EntriesOf(archive)) {
            const bool pays = e.name == "text.txt" || e.name == "sub/repeats.bin";
            EXPECT_EQ(e.method, method == "-m1" && pays ? 1 : 0) << e.name;
            EXPECT_EQ(e.host, backend::arj::kHostUnix);
        }
        const Ran test = RunIn(root_, {"timeout", "60", "arj", "t", archive.string()});
        EXPECT_EQ(test.code, 0) << test.out;

        const fs::path by_arj = root_ / ("arj" + method);
        fs::create_directories(by_arj);
        EXPECT_EQ(RunIn(by_arj, {"timeout", "60", "arj", "x", "-y", archive.string()}).code, 0);
        EXPECT_EQ(Differences(FilesOf(by_arj), tree), std::vector<std::string>{});
        EXPECT_EQ(fs::status(by_arj / "sub/deeper/tool").permissions(), fs::perms(0750));
        EXPECT_EQ(fs::last_write_time(by_arj / "one"), fs::last_write_time(src_ / "one"));

        // 7zz reads ARJ's links as empty files.
        const fs::path by_7zz = root_ / ("7zz" + method);
        EXPECT_EQ(RunIn(root_, {"7zz", "x", "-o" + by_7zz.string(), archive.string()}).code, 0);
        std::map<std::string, std::string> without_link = tree;
        without_link.erase("sub/link");
        std::map<std::string, std::string> extracted = FilesOf(by_7zz);
        extracted.erase("sub/link");
        EXPECT_EQ(Differences(extracted, without_link), std::vector<std::string>{});
    }
}

TEST_F(ArjWriterPeers, WithoutAnyAttributeALinkIsTheFileItLeadsTo) {
    const fs::path archive = root_ / "t.arj";
    ASSERT_EQ(Writer(src_, {"u", "-r", archive.string(), "sub/*"}).code, 0);
    const std::map<std::string, std::string> entries = ReadBack(archive);
    EXPECT_EQ(entries.at("sub/link"), ReadAll(src_ / "sub/deeper/tool"));
}

TEST_F(ArjWriterPeers, DosHostsGetDosTimesAndAttributes) {
    const fs::path archive = root_ / "t.arj";
    ASSERT_EQ(Writer(src_, {"u", "-2d", archive.string(), "one", "sub/deeper/tool"}).code, 0);
    for (const backend::arj::Entry& e : EntriesOf(archive)) {
        EXPECT_EQ(e.host, backend::arj::kHostDos);
        EXPECT_EQ(e.mode, backend::arj::kDosArchive) << e.name;
    }
    const fs::path out = root_ / "out";
    fs::create_directories(out);
    ASSERT_EQ(RunIn(out, {"timeout", "60", "arj", "x", "-y", archive.string()}).code, 0);
    EXPECT_EQ(fs::last_write_time(out / "one"), fs::last_write_time(src_ / "one"));
}

}  // namespace
}  // namespace quorvex6::testing
