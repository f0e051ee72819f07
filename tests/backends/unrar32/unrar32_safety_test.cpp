// What an archive may not do to the disk or the process: links and names that lead out are
// refused through the shared rules, and every crafted archive of libarchive's suite gives a
// result code, never a crash or a hang, whether extracted, tested or listed.
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
