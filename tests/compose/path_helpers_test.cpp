#include "compose/path_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "control/module_state.h"
#include "fakes/fake_archiver.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::U16;
using testing::U8;

class PathHelpers : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_.Write("data");
        dir_.Write(".hidden");
        dir_.Write("x.txt");
        dir_.Write("noext");
        dir_.Folder("folder");
        dir_.Folder(".hiddenfolder");
        dir_.Folder("pattern*");
        fs::create_symlink(dir_.path() / "gone", dir_.path() / "dangling");
        fs::create_symlink(dir_.path() / "folder", dir_.path() / "folderlink");
    }
    std::u16string At(const std::string& relative) const {
        return U16(dir_.str() + "/" + relative);
    }
    TempDir dir_;
};

TEST_F(PathHelpers, FileAndFolderExistence) {
    const std::string tooLong(300, 'n');
    struct Case {
        std::string relative;
        bool file;
        bool folder;
    };
    const Case cases[] = {
        {"data", true, false},
        {"data/", true, false},  // one trailing separator is dropped
        {"data//", false, false},
        {".hidden", true, false},
        {"folder", false, true},
        {"folder/", false, true},
        {".hiddenfolder", false, true},
        {"folderlink", false, true},
        {"dangling", true, false},
        {"missing", false, false},
        {"missing/data", false, false},
        {"data/below", false, false},
        {tooLong, false, false},
        {tooLong + "/" + tooLong, false, false},
        // Patterns match files as a directory search does; a folder is never a pattern.
        {"d*", true, false},
        {"da?a", true, false},
        {"*.txt", true, false},
        {"noext.*", true, false},
        {"*", true, false},
        {".h*", true, false},
        {"fold?r", false, false},
        {"*.none", false, false},
        {"missing/*", false, false},
        {"pattern*", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExists(At(c.relative)), c.file) << c.relative;
        EXPECT_EQ(FolderExists(At(c.relative)), c.folder) << c.relative;
    }
}

TEST_F(PathHelpers, RelativeNamesAndTheEmptyName) {
    const fs::path before = fs::current_path();
    fs::current_path(dir_.path());
    EXPECT_TRUE(FileExists(u"data"));
    EXPECT_TRUE(FileExists(u"x.*"));
    EXPECT_TRUE(FolderExists(u"folder/"));
    EXPECT_FALSE(FileExists(u""));
    EXPECT_TRUE(FolderExists(u""));  // the current folder
    EXPECT_TRUE(FolderExists(u"/"));
    EXPECT_FALSE(FileExists(u"/"));
    fs::current_path(before);
}

TEST_F(PathHelpers, UnreadableFolderGivesFalse) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    dir_.Write("locked/inside");
    chmod((dir_.str() + "/locked").c_str(), 0);
    EXPECT_FALSE(FileExists(At("locked/inside")));
    EXPECT_FALSE(FileExists(At("locked/*")));
    chmod((dir_.str() + "/locked").c_str(), 0755);
}

TEST_F(PathHelpers, ShortPathIsThePathWhenItExists) {
    EXPECT_EQ(U8(ShortPathOf(At("data"))), dir_.str() + "/data");
    EXPECT_EQ(U8(ShortPathOf(At("folder/"))), dir_.str() + "/folder/");
    EXPECT_EQ(U8(ShortPathOf(At("missing"))), "");
    EXPECT_EQ(U8(ShortPathOf(u"")), "");
}

TEST(NameParts, FileNameAndFolderOfStoredNames) {
    struct Case {
        std::u16string path;
        std::u16string name;
        std::u16string folder;
    };
    const Case cases[] = {
        {u"a/b\\c", u"c", u"a/b\\"},
        {u"a\\b/c", u"c", u"a\\b/"},
        {u"C:x.txt", u"x.txt", u"C:"},
        {u"dir\\", u"", u"dir\\"},
        {u"x.lzh", u"x.lzh", u""},
        {u"  C:\\dir\\x.lzh  ", u"x.lzh  ", u"C:\\dir\\"},
        {u"  /dir/x.lzh ", u"x.lzh ", u"/dir/"},
        {u" name ", u" name ", u""},
        {u"", u"", u""},
        {u"   ", u"   ", u""},
        {u"/", u"", u"/"},
        {u"日本/語.txt", u"語.txt", u"日本/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(U8(FileNameOf(c.path)), U8(c.name)) << U8(c.path);
        EXPECT_EQ(U8(FolderOf(c.path)), U8(c.folder)) << U8(c.path);
    }
}

TEST(WorkFiles, EachCallMakesADistinctEmptyFileInTheTempFolder) {
    TempDir temp;
    for (const std::string& given : {temp.str(), temp.str() + "/"}) {
        testing::ScopedTempFolder scoped(given);
        std::set<std::string> names;
        for (int i = 0; i < 20; ++i) {
            const std::string name = U8(NewWorkFile());
            ASSERT_FALSE(name.empty());
            const fs::path file(name);
            EXPECT_EQ(file.parent_path(), temp.path()) << name;
            const std::string leaf = file.filename().string();
            ASSERT_GT(leaf.size(), 7u) << leaf;
            EXPECT_EQ(leaf.substr(0, 3), "~TR");
            EXPECT_EQ(leaf.substr(leaf.size() - 4), ".TMP");
            EXPECT_EQ(leaf.substr(3, leaf.size() - 7).find_first_not_of("0123456789ABCDEF"),
                      std::string::npos)
                << leaf;
            EXPECT_TRUE(fs::is_regular_file(file));
            EXPECT_EQ(fs::file_size(file), 0u);
            names.insert(name);
        }
        EXPECT_EQ(names.size(), 20u);
        for (const auto& name : names) fs::remove(name);
    }
}

TEST(WorkFiles, MissingTempFolderGivesEmptyName) {
    TempDir temp;
    testing::ScopedTempFolder scoped(temp.path() / "missing");
    EXPECT_EQ(U8(NewWorkFile()), "");
}

TEST(CheckArchive, AsksTheCurrentKindsLibraryWithModeOne) {
    const char* entries[] = {"UnlhaCheckArchive", "UnZipCheckArchive", "CabCheckArchive",
                             "UnarjCheckArchive", "IshCheckArchive",   "TarCheckArchive",
                             "UnrarCheckArchive"};
    for (int32_t kind = 0; kind < 7; ++kind) {
        for (const int32_t answer : {1, -1, 0}) {
            testing::FakeArchiver fake;
            fake.Return(entries[kind], answer);
            Module().CurrentArcMode = kind;
            EXPECT_EQ(CheckArchive(u"/arc/日本.lzh"), answer != 0) << entries[kind];
            const auto calls = fake.Calls();
            ASSERT_EQ(calls.size(), 1u) << entries[kind];
            EXPECT_EQ(calls[0].entry, entries[kind]);
            EXPECT_EQ(calls[0].command, "/arc/日本.lzh");
            EXPECT_EQ(calls[0].mode, 1);
        }
    }
    Module().CurrentArcMode = 0;
}

TEST(CheckArchive, KindOutsideTheTableCallsNothing) {
    testing::CapturedMessages messages;
    for (const int32_t kind : {7, -1, 1000}) {
        testing::FakeArchiver fake;
        Module().CurrentArcMode = kind;
        EXPECT_FALSE(CheckArchive(u"a.lzh")) << kind;
        EXPECT_TRUE(fake.Calls().empty()) << kind;
    }
    EXPECT_TRUE(messages.messages().empty());
    Module().CurrentArcMode = 0;
}

}  // namespace
}  // namespace quorvex6
