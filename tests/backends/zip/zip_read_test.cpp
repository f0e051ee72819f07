// unzip32 against archives written by other tools, and against hostile ones.
#include <sys/stat.h>

#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

class UnzipRead : public ScratchTest {
  protected:
    int32_t Extract(const std::string& archive, const std::string& opts = "-x --i",
                    std::string* log = nullptr) {
        return unzip_.Command(
            "UnZip",
            opts + " " + Quote(TestData("zip/" + archive)) + " " + QuoteFolder(dest()) + " *.*",
            log);
    }
    fs::path dest() const { return root_ / "dest"; }
    BackendLibrary unzip_{"unzip32"};
};

TEST_F(UnzipRead, TreesFromOtherToolsExtractByteForByte) {
    auto expected = ReadPackedTree(TestData("zip/files"));
    for (const char* archive : {"tree-infozip.zip", "tree-7zip.zip", "tree-bsdtar.zip"}) {
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << archive;
        EXPECT_EQ(ReadTree(dest()), expected) << archive;
        auto mtime = fs::last_write_time(dest() / "hello.txt");
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::file_clock::to_sys(mtime).time_since_epoch())
                           .count();
        EXPECT_EQ(seconds, 1623760496) << archive;  // 2021-06-15 12:34:56 UTC
    }
}

TEST_F(UnzipRead, MethodsEncryptionAndLegacyNames) {
    struct Case {
        const char* archive;
        int32_t code;
        std::map<std::string, std::string> files;  // what must be there afterwards
    };
    const std::string numbers = ReadAll(TestData("zip/files/sub/numbers.txt"));
    const Case cases[] = {
        {"stored-infozip.zip",
         0,
         {{"hello.txt", "hello\n"}, {"sub", "<folder>"}, {"sub/numbers.txt", numbers}}},
        {"bzip2-infozip.zip",
         0,
         {{"hello.txt", "hello\n"}, {"sub", "<folder>"}, {"sub/numbers.txt", numbers}}},
        {"lzma-7zip.zip",
         0,
         {{"hello.txt", "hello\n"}, {"sub", "<folder>"}, {"sub/numbers.txt", numbers}}},
        {"encrypted-infozip.zip", result::kPasswordFile, {}},
        {"mixed-encrypted.zip",
         result::kPasswordFile,
         {{"sub", "<folder>"}, {"sub/numbers.txt", numbers}}},
        // Made on Unix: the name is the bytes stored, as unzip and 7zz give it too.
        {"sjis-infozip.zip", 0, {{"\x93\xfa\x96\x7b\x8c\xea.txt", "sjis\n"}}},
        {"cp437-infozip.zip", 0, {{"caf\x82.txt", "cp437\n"}}},
    };
    for (const Case& c : cases) {
        fs::remove_all(dest());
        EXPECT_EQ(Extract(c.archive), c.code) << c.archive;
        EXPECT_EQ(ReadTree(dest()), c.files) << c.archive;
    }
}

// Unflagged names by the system that made the entry: Shift_JIS first from MS-DOS/Windows, the
// stored bytes from Unix; a backslash separates only in names from MS-DOS/Windows.
TEST_F(UnzipRead, NamesFollowTheSystemThatMadeThem) {
    struct Case {
        const char* archive;
        std::map<std::string, std::string> files;
    };
    const Case cases[] = {
        {"dos-python.zip",
         {{"readme.txt", "read me\n"},
          {"locked.txt", "read only\n"},
          {"dir", "<folder>"},
          {"dir/file.txt", "in dir\n"},
          {"kanaﾃｽ.txt", "kana\n"},
          {"café.txt", "cp437\n"},
          {"unknown.txt", "field\n"}}},
        {"unix-names-python.zip",
         {{"back\\slash.txt", "one name\n"}, {"utf8ý.txt", "utf8\n"}, {"caf\xe9.txt", "latin1\n"}}},
    };
    for (const Case& c : cases) {
        fs::remove_all(dest());
        EXPECT_EQ(Extract(c.archive), 0) << c.archive;
        EXPECT_EQ(ReadTree(dest()), c.files) << c.archive;
    }
}

// 2040 is past what a signed 32-bit time holds; 1960 is stored signed with a DOS date of 1980.
TEST_F(UnzipRead, ExtendedTimestampsPast2038AndBefore1970) {
    for (const char* archive : {"times-infozip.zip", "times-bsdtar.zip"}) {
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << archive;
        struct stat late {
        }, early{};
        ASSERT_EQ(stat((dest() / "late.txt").c_str(), &late), 0);
        ASSERT_EQ(stat((dest() / "early.txt").c_str(), &early), 0);
        EXPECT_EQ(late.st_mtime, 2214450367) << archive;   // 2040-03-04 05:06:07 UTC
        EXPECT_EQ(early.st_mtime, -310157633) << archive;  // 1960-03-04 05:06:07 UTC
        std::string listing;
        ASSERT_EQ(unzip_.Command("UnZip", "-l " + TestData(std::string("zip/") + archive).string(),
                                 &listing),
                  0);
        size_t at = listing.find("\nlate.txt ");
        ASSERT_NE(at, std::string::npos) << listing;
        std::string line = listing.substr(at + 1, listing.find('\n', at + 1) - at - 1);
        EXPECT_NE(line.find(" 40/03/04 05:06:06 "), std::string::npos) << line;
    }
}

TEST_F(UnzipRead, ACommentHoldingTheEndSignatureIsNoEnd) {
    EXPECT_EQ(Extract("comment-signature-python.zip"), 0);
    EXPECT_EQ(ReadTree(dest()), (std::map<std::string, std::string>{{"hello.txt", "hello\n"}}));
}

TEST_F(UnzipRead, ALinkTargetLongerThanALinkHoldsIsNamedAsSuch) {
    std::string log;
    EXPECT_EQ(Extract("long-links-python.zip", "-x --i", &log), result::kPathTooLong);
    EXPECT_NE(log.find("too-long: link target of 5000 bytes; a link holds at most 4095"),
              std::string::npos)
        << log;
    EXPECT_EQ(ReadTree(dest()),
              (std::map<std::string, std::string>{{"longest", "-> " + std::string(4095, 't')},
                                                  {"after.txt", "after\n"}}));
}

// Entries that share bytes (one local record named twice, one record inside another's data or
// extra field) are how a few KiB expand to terabytes: refused, the good entry still extracted.
TEST_F(UnzipRead, EntriesThatShareBytesAreRefused) {
    struct Case {
        const char* archive;
        const char* refused[2];
    };
    const Case cases[] = {
        {"overlap-shared-python.zip", {"a.bin", "b.bin"}},
        {"overlap-quoted-python.zip", {"outer.bin", "inner.bin"}},
        {"overlap-extra-python.zip", {"first.bin", "second.bin"}},
    };
    for (const Case& c : cases) {
        fs::remove_all(dest());
        std::string log;
        EXPECT_EQ(Extract(c.archive, "-x --i", &log), result::kBrokenHeader) << c.archive;
        EXPECT_EQ(ReadTree(dest()), (std::map<std::string, std::string>{{"good.txt", "good\n"}}))
            << c.archive;
        for (const char* name : c.refused)
            EXPECT_NE(log.find(std::string("failed ") + name + ": "), std::string::npos) << log;
        EXPECT_NE(log.find("overlapping entries, a possible zip bomb"), std::string::npos) << log;
        EXPECT_EQ(unzip_.Command("UnZip", "-t " + Quote(TestData("zip/" + std::string(c.archive)))),
                  result::kBrokenHeader);
        std::string listing;
        EXPECT_EQ(
            unzip_.Command("UnZip", "-l " + TestData("zip/" + std::string(c.archive)).string(),
                           &listing),
            0);
        EXPECT_NE(listing.find(c.refused[1]), std::string::npos) << listing;
    }
}

TEST_F(UnzipRead, UnknownMethodIsReportedAndTheRestExtracted) {
    std::string log;
    EXPECT_EQ(Extract("deflate64-7zip.zip", "-x --i", &log), result::kMethod);
    EXPECT_NE(log.find("Def64"), std::string::npos);
    EXPECT_FALSE(fs::exists(dest() / "sub/numbers.txt"));
}

TEST_F(UnzipRead, HostileEntriesAreRefusedAndTheOthersExtracted) {
    struct Case {
        const char* archive;
        std::map<std::string, std::string> files;
    };
    const Case cases[] = {
        {"hostile-names.zip", {{"ok", "<folder>"}, {"ok/good.txt", "good\n"}}},
        // "out" was refused as a link, so "out/" is an ordinary folder inside the destination.
        {"hostile-links.zip",
         {{"ok", "<folder>"},
          {"ok/good.txt", "good\n"},
          {"fine", "-> ok/good.txt"},
          {"out", "<folder>"},
          {"out/through.txt", "through\n"}}},
    };
    for (const Case& c : cases) {
        fs::remove_all(root_);
        fs::create_directories(root_ / "work");
        std::string log;
        EXPECT_EQ(Extract(c.archive, "-x --i", &log), result::kAccessDenied) << c.archive;
        EXPECT_EQ(ReadTree(dest()), c.files) << c.archive;
        EXPECT_NE(log.find("refused"), std::string::npos);
        // Nothing beside the destination, nothing at the absolute names.
        EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}), 2) << c.archive;
        EXPECT_FALSE(fs::exists("/absolute.txt"));
    }
}

// Links that lead out only through one another, in both orders, with and without folder parts.
TEST_F(UnzipRead, LinkChainsThatLeadOutAreRefused) {
    using Tree = std::map<std::string, std::string>;
    const Tree common = {{"s", "-> ."},
                         {"late", "-> t/../outside"},
                         {"loop1", "-> loop2"},
                         {"lib", "-> ok"},
                         {"alias", "-> lib/good.txt"}};
    struct Case {
        const char* opts;
        Tree files;  // beside `common`
    };
    const Case cases[] = {
        {"-x --i",
         {{"ok", "<folder>"},
          {"ok/good.txt", "good\n"},
          {"d", "<folder>"},
          {"d/through.txt", "through\n"},
          {"sub", "<folder>"},
          {"sub/up", "-> .."}}},
        // "up" lands in the destination itself, where ".." leads out; "sub" is never made, so "x"
        // stays inside.
        {"-x -j --i",
         {{"good.txt", "good\n"}, {"through.txt", "through\n"}, {"x", "-> sub/up/../outside"}}},
    };
    for (const Case& c : cases) {
        fs::remove_all(root_);
        fs::create_directories(root_ / "outside");
        WriteAll(root_ / "outside/victim", "victim\n");
        std::string log;
        EXPECT_EQ(Extract("hostile-link-chains.zip", c.opts, &log), result::kAccessDenied)
            << c.opts;
        Tree expected = c.files;
        expected.insert(common.begin(), common.end());
        EXPECT_EQ(ReadTree(dest()), expected) << c.opts;
        for (const char* refused : {"refused d:", "refused e:", "refused t:", "refused loop2:"})
            EXPECT_NE(log.find(refused), std::string::npos) << c.opts << " " << refused;
        EXPECT_EQ(ReadTree(root_ / "outside"), (Tree{{"victim", "victim\n"}})) << c.opts;
    }
}

TEST_F(UnzipRead, ANameStoredTwiceEndsAsTheLastOne) {
    for (int run = 0; run < 3; ++run) {  // files are written on several threads: no race may win
        fs::remove_all(dest());
        EXPECT_EQ(Extract("duplicate-names.zip"), 0);
        EXPECT_EQ(ReadTree(dest()), (std::map<std::string, std::string>{{"dup.txt", "second\n"},
                                                                        {"other.txt", "other\n"}}));
    }
}

TEST_F(UnzipRead, BrokenArchivesGiveCodesAndNoCutFiles) {
    EXPECT_EQ(Extract("badcrc.zip"), result::kCrcMismatch);
    EXPECT_EQ(ReadTree(dest()), (std::map<std::string, std::string>{{"ok.txt", "fine\n"}}));
    fs::remove_all(dest());
    int32_t code = Extract("truncated.zip");
    EXPECT_TRUE(code == result::kNotValidArchive || code == result::kBrokenHeader) << code;
    EXPECT_TRUE(ReadTree(dest()).empty());
    EXPECT_EQ(unzip_.Command("UnZip", "-x " + Quote(root_ / "missing.zip") + " " +
                                          QuoteFolder(dest()) + " *.*"),
              result::kCannotOpenArchive);
}

TEST_F(UnzipRead, SelectedNamesJunkPathsAndOnlyNewer) {
    EXPECT_EQ(
        unzip_.Command("UnZip", "-x -j --i " + Quote(TestData("zip/tree-infozip.zip")) + " " +
                                    QuoteFolder(dest()) + " deep/a/b/c/d/e/f/deep.txt sub/*.*"),
        0);
    EXPECT_EQ(ReadTree(dest()),
              (std::map<std::string, std::string>{
                  {"deep.txt", "deep\n"},
                  {"numbers.txt", ReadAll(TestData("zip/files/sub/numbers.txt"))}}));
    // -u: the local copy is newer than the stored one, so it stays.
    WriteAll(dest() / "hello.txt", "local\n");
    EXPECT_EQ(Extract("tree-infozip.zip", "-u --i"), 0);
    EXPECT_EQ(ReadAll(dest() / "hello.txt"), "local\n");
    EXPECT_EQ(ReadAll(dest() / "with space.txt"), "space\n");
    // -x overwrites.
    EXPECT_EQ(Extract("tree-infozip.zip"), 0);
    EXPECT_EQ(ReadAll(dest() / "hello.txt"), "hello\n");
}

TEST_F(UnzipRead, ResponseFileSelectsEntries) {
    WriteAll(root_ / "list.txt", "\"hello.txt\"\r\n\"with space.txt\"\r\n\r\n");
    EXPECT_EQ(unzip_.Command("UnZip", "-x --i " + Quote(TestData("zip/tree-7zip.zip")) + " " +
                                          QuoteFolder(dest()) + " " +
                                          Quote("@" + (root_ / "list.txt").string())),
              0);
    EXPECT_EQ(ReadTree(dest()), (std::map<std::string, std::string>{
                                    {"hello.txt", "hello\n"}, {"with space.txt", "space\n"}}));
}

}  // namespace
}  // namespace quorvex6::testing
