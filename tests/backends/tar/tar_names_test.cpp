// Names as TAR has them on POSIX: bytes, where '\' is an ordinary character and anything but
// UTF-8 is kept as stored; and the outcome when an entry meets a folder in its way.
#include "backends/tar/tar_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;
using Tree = std::map<std::string, std::string>;

// GNU tar's archives, ours, and what GNU tar and bsdtar make of ours: the same names, with '\'
// in them; a link whose name holds one is judged where it really lies (at the top, where ".."
// leads out).
TEST_F(TarLibrary, ABackslashIsPartOfAName) {
    fs::path base = root_ / "base";
    WriteAll(base / "back\\slash.txt", "back\n");
    WriteAll(base / "dir\\name/inner.txt", "inner\n");
    WriteAll(base / "..\\up.txt", "up\n");
    const Tree expected = ReadTree(base);
    fs::path gnu = root_ / "gnu.tar";
    ASSERT_EQ(RunTool("tar -C " + Quote(base) + " -cf " + Quote(gnu) + " ."), 0);
    fs::path ours = root_ / "ours.tar";
    ASSERT_EQ(Pack(ours, base), 0);
    for (const fs::path& archive : {gnu, ours}) {
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << archive;
        EXPECT_EQ(ReadTree(dest()), expected) << archive;
    }
    for (const char* tool : {"tar", "bsdtar"}) {
        fs::path out = root_ / tool;
        fs::create_directories(out);
        EXPECT_EQ(RunTool(std::string(tool) + " -xf " + Quote(ours) + " -C " + Quote(out)), 0)
            << tool;
        EXPECT_EQ(ReadTree(out), expected) << tool;
    }

    fs::path hostile = root_ / "hostile";
    fs::create_directories(hostile);
    fs::create_symlink("../outside", hostile / "in\\side");
    ASSERT_EQ(RunTool("tar -C " + Quote(hostile) + " -cf " + Quote(root_ / "hostile.tar") + " ."),
              0);
    fs::remove_all(dest());
    EXPECT_EQ(Extract(root_ / "hostile.tar"), result::kAccessDenied);
    EXPECT_EQ(ReadTree(dest()), Tree());
}

// Names that are not UTF-8 (POSIX allows any bytes) come back as they were, from our archives
// and from GNU tar's and bsdtar's, and what we write the peers take: pax marks such names
// hdrcharset=BINARY. Valid Shift_JIS in a plain header still reads as Japanese.
TEST_F(TarLibrary, NamesThatAreNotUtf8ComeBackAsStored) {
    fs::path base = root_ / "base";
    WriteAll(base / "caf\xe9.txt", "latin-1\n");
    WriteAll(base / "d\xff\xfe/inner.txt", "inner\n");
    fs::create_symlink("caf\xe9.txt", base / "l\xe9");
    fs::create_hard_link(base / "caf\xe9.txt", base / "h\xe9");
    const Tree expected = ReadTree(base);
    fs::path ours = root_ / "ours.tar";
    ASSERT_EQ(Pack(ours, base), 0);
    EXPECT_NE(ReadAll(ours).find(" hdrcharset=BINARY\n"), std::string::npos);
    for (const char* tool : {"tar", "bsdtar"}) {
        fs::path out = root_ / tool;
        fs::create_directories(out);
        EXPECT_EQ(RunTool(std::string(tool) + " -xf " + Quote(ours) + " -C " + Quote(out)), 0)
            << tool;
        EXPECT_EQ(ReadTree(out), expected) << tool;
    }
    EXPECT_EQ(RunTool("7zz x -o" + Quote(root_ / "7zz") + " " + Quote(ours)), 0);
    EXPECT_EQ(ReadTree(root_ / "7zz"), expected);
    for (const char* maker : {"tar --format=gnu", "tar --format=pax", "bsdtar"}) {
        fs::path archive = root_ / "peer.tar";
        fs::remove(archive);
        ASSERT_EQ(
            RunTool(std::string(maker) + " -cf " + Quote(archive) + " -C " + Quote(base) + " ."), 0)
            << maker;
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << maker;
        EXPECT_EQ(ReadTree(dest()), expected) << maker;
        EXPECT_EQ(fs::hard_link_count(dest() / "h\xe9"), 2u)
            << maker;  // its target named as stored
    }
    fs::remove_all(dest());
    EXPECT_EQ(Extract(ours), 0);
    EXPECT_EQ(ReadTree(dest()), expected);

    fs::path sjis = root_ / "sjis";
    WriteAll(sjis / "\x83\x65\x83\x58\x83\x67.txt", "sjis\n");  // テスト.txt
    ASSERT_EQ(
        RunTool("tar --format=gnu -cf " + Quote(root_ / "sjis.tar") + " -C " + Quote(sjis) + " ."),
        0);
    fs::remove_all(dest());
    EXPECT_EQ(Extract(root_ / "sjis.tar"), 0);
    EXPECT_EQ(ReadTree(dest()), (Tree{{"テスト.txt", "sjis\n"}}));
}

// A link or hard link whose name is taken by a folder fails alone, with the code and reason of
// a file in that place (0x8010: a folder of that name exists), and the folder stays.
TEST_F(TarLibrary, ALinkOverAFolderSaysAFolderIsInTheWay) {
    fs::path base = root_ / "base";
    WriteAll(base / "file.txt", "file\n");
    fs::create_symlink("file.txt", base / "soft");
    fs::create_hard_link(base / "file.txt", base / "hard");
    fs::path archive = root_ / "links.tar";
    ASSERT_EQ(RunTool("tar -C " + Quote(base) + " -cf " + Quote(archive) + " file.txt soft hard"),
              0);
    for (const char* name : {"soft", "hard"}) {
        fs::remove_all(dest());
        fs::create_directories(dest() / name / "kept");
        std::string log;
        EXPECT_EQ(Extract(archive, "--display-dialog=0", &log), result::kFileExists) << name;
        EXPECT_NE(log.find("failed " + std::string(name) + ": a folder of that name exists"),
                  std::string::npos)
            << log;
        EXPECT_TRUE(fs::is_directory(dest() / name / "kept")) << name;
        EXPECT_EQ(ReadAll(dest() / "file.txt"), "file\n") << name;
    }
}

}  // namespace
}  // namespace quorvex6::testing
