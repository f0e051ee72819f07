// What an archive may not do to the disk or the process: links and names that lead out are
// refused through the shared rules, and every crafted archive of libarchive's suite gives a
// result code, never a crash or a hang, whether extracted, tested or listed.
#include <map>

#include "backends/unrar32/rar_library.h"

namespace quorvex6::testing {
namespace {

TEST_F(Unrar32, LinksThatLeadOutAreRefused) {
    struct Case {
        const char* archive;
        const char* refused;  // stays unmade
    };
    const Case cases[] = {
        {"rarfile/rar5-evil-symlink-traversal.rar", "up"},
        {"rarfile/rar5-symlink-unix.rar", "random_link"},
    };
    int n = 0;
    for (const Case& c : cases) {
        fs::path dest = root_ / std::to_string(n++) / "in";
        std::string log;
        EXPECT_EQ(Extract(Data(c.archive), dest, "-x", "", "*.*", &log), result::kAccessDenied)
            << c.archive << log;
        EXPECT_FALSE(fs::is_symlink(dest / c.refused)) << c.archive;
    }
    // Nothing landed beside the target folder through the link.
    EXPECT_FALSE(fs::exists(root_ / "0" / "pwned.txt"));
}

// Windows links: relative ones are made, a junction (an absolute place) is skipped with a line.
TEST_F(Unrar32, WindowsLinksAndJunctions) {
    std::string log;
    Extract(Data("rarfile/rar5-symlink-win.rar"), root_ / "w", "-x", "", "*.*", &log);
    EXPECT_EQ(fs::read_symlink(root_ / "w/links/file_link"), "../content/file.txt");
    EXPECT_EQ(ReadAll(root_ / "w/links/file_link"), ReadAll(root_ / "w/content/file.txt"));
    EXPECT_EQ(fs::read_symlink(root_ / "w/links/dir_link"), "../content/dir1");
    EXPECT_FALSE(fs::exists(root_ / "w/links/dir_junction"));
    EXPECT_NE(log.find("junction"), std::string::npos) << log;
}

// Names that climb out, start at the root or name a drive are refused, one by one; the rest
// comes out, and nothing lands outside the target.
TEST_F(Unrar32, HostileNamesAreRefusedAndNothingLeaves) {
    for (const char* archive : {"store/hostile4.rar", "store/hostile5.rar"}) {
        fs::path dest = root_ / fs::path(archive).stem() / "in";
        std::string log;
        EXPECT_EQ(Extract(Data(archive), dest, "-x", "", "*.*", &log), result::kAccessDenied)
            << archive << log;
        EXPECT_EQ(ReadTree(dest), (std::map<std::string, std::string>{{"ok.txt", "fine\n"}}))
            << archive;
        EXPECT_EQ(ReadTree(dest.parent_path()).size(), 2u) << archive;  // "in" and its file
        EXPECT_FALSE(fs::exists("/abs.txt"));
    }
}

// A hard link and a file copy of an earlier file, a symlink; a copy of a name that comes
// nowhere before it fails alone.
TEST_F(Unrar32, RedirectionsAreMadeFromTheEntriesTheyName) {
    std::string log;
    EXPECT_EQ(Extract(Data("store/links5.rar"), root_ / "l", "-x", "", "*.*", &log),
              result::kBrokenData)
        << log;
    EXPECT_EQ(ReadTree(root_ / "l"), (std::map<std::string, std::string>{{"data.txt", "the data\n"},
                                                                         {"copy.txt", "the data\n"},
                                                                         {"hard.txt", "the data\n"},
                                                                         {"sym", "-> data.txt"}}));
    EXPECT_TRUE(fs::equivalent(root_ / "l/hard.txt", root_ / "l/data.txt"));
    EXPECT_FALSE(fs::equivalent(root_ / "l/copy.txt", root_ / "l/data.txt"));
}

TEST_F(Unrar32, CraftedArchivesGiveACodeNeverACrash) {
    int n = 0;
    for (const auto& item : fs::directory_iterator(Data("libarchive"))) {
        if (item.path().filename() == "LICENSE") continue;
        fs::path dest = root_ / std::to_string(n++);
        int32_t code = Extract(item.path(), dest);
        EXPECT_TRUE(code == 0 || (code >= result::kLibraryFirst && code <= result::kLibraryLast))
            << item.path() << " " << code;
        lib_.Command("Unrar", "-t " + Quote(item.path()));
        Check(item.path(), 2);
        List(item.path());
        fs::remove_all(dest);
    }
    EXPECT_GT(n, 80);
}

}  // namespace
}  // namespace quorvex6::testing
