#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "common/extract_target.h"
#include "common/pack_sources.h"
#include "common/replacement_file.h"

namespace fs = std::filesystem;

namespace quorvex6::backend {
namespace {

class ExtractionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::path(::testing::TempDir()) /
                (std::string("qv_extract_") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "dest");
        fs::create_directories(root_ / "outside");
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string Dest() const { return (root_ / "dest").string() + "/"; }
    fs::path root_;
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::file_time_type At(int64_t seconds) {
    return fs::file_time_type::clock::from_sys(
        std::chrono::sys_seconds(std::chrono::seconds(seconds)));
}

TEST_F(ExtractionTest, RefusesEscapesAndKeepsGoing) {
    OutputLog log;
    ResultKeeper result;
    {
        ExtractTarget target({Dest()}, log, result);
        fs::create_directory_symlink(root_ / "outside", root_ / "dest" / "evil");
        for (const char* bad : {"../up.txt", "/abs.txt", "C:/drive.txt", "evil/through.txt"})
            EXPECT_FALSE(target.Place(bad, 0, false)) << bad;
        target.MakeLink("link", "../outside");
        auto ok = target.Place("sub/good.txt", 0, false);
        ASSERT_TRUE(ok);
        PendingFile file = target.BeginFile(*ok);
        file.Write("data", 4);
        file.Commit(1704067200, 0644);
    }
    EXPECT_EQ(result.code(), result::kAccessDenied);
    EXPECT_EQ(Slurp(root_ / "dest" / "sub" / "good.txt"), "data");
    EXPECT_FALSE(fs::exists(root_ / "outside" / "through.txt"));
    EXPECT_FALSE(fs::is_symlink(root_ / "dest" / "link"));
    EXPECT_NE(log.text().find("refused ../up.txt"), std::string::npos);
}

// With the time check (or never overwriting) a later run keeps what it finds, so a new file has
// no name until its data checked out: cut short, it could pass for the finished file. Without,
// it is written in place, and removed unless committed.
TEST_F(ExtractionTest, ANewFileIsSeenOnlyWhenALaterRunWouldReplaceIt) {
    struct Case {
        const char* name;
        bool only_newer, never_overwrite;
        bool seen_while_written;
    };
    const Case cases[] = {{"time check", true, false, false},
                          {"never overwrite", false, true, false},
                          {"replacing everything", false, false, true}};
    for (const Case& c : cases) {
        fs::path at = root_ / "dest" / c.name;
        OutputLog log;
        ResultKeeper result;
        ExtractOptions options{Dest()};
        options.only_newer = c.only_newer;
        options.never_overwrite = c.never_overwrite;
        ExtractTarget target(options, log, result);
        {
            PendingFile cut = target.BeginFile(std::string(c.name) + " cut");
            cut.Write("partial", 7);
        }
        EXPECT_FALSE(fs::exists(at.string() + " cut")) << c.name;
        PendingFile file = target.BeginFile(c.name);
        file.Write("partial", 7);
        EXPECT_EQ(fs::exists(at), c.seen_while_written) << c.name;
        file.Write(" and the rest", 13);
        file.Commit(1704067200, 0644);
        EXPECT_EQ(Slurp(at), "partial and the rest") << c.name;
        EXPECT_EQ(fs::last_write_time(at), At(1704067200)) << c.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "dest"), {}), 1) << c.name;
        fs::remove(at);
    }
}

// A name stored twice ends as its second copy, whichever copy is finished first.
TEST_F(ExtractionTest, TheLaterOfTwoCopiesOfANameWins) {
    struct Case {
        const char* name;
        bool later_first;  // the later copy is committed before the earlier one
    };
    const Case cases[] = {{"in order", false}, {"later copy first", true}};
    for (const Case& c : cases) {
        fs::remove_all(root_ / "dest");
        fs::create_directories(root_ / "dest");
        OutputLog log;
        ResultKeeper result;
        ExtractTarget target({Dest()}, log, result);
        PendingFile first = target.BeginFile("twice.txt");
        first.Write("first", 5);
        PendingFile second = target.BeginFile("twice.txt");
        second.Write("second", 6);
        EXPECT_TRUE(second.replaces()) << c.name;
        if (c.later_first) second.Commit(0, std::nullopt);
        first.Commit(0, std::nullopt);
        if (!c.later_first) second.Commit(0, std::nullopt);
        EXPECT_EQ(Slurp(root_ / "dest" / "twice.txt"), "second") << c.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "dest"), {}), 1) << c.name;
    }
}

// With the time check only a file can be newer: a folder, a link or anything else at the name
// is in the way (0x8010), however new.
TEST_F(ExtractionTest, OnlyAFileAtTheNameCanBeNewer) {
    const int64_t entry_time = 1704067200;  // 2024-01-01
    enum class There { kNewerFile, kOlderFile, kFolder, kLink, kFifo };
    struct Case {
        const char* name;
        There there;
        bool never_overwrite;
        bool placed;
        int32_t code;
    };
    const Case cases[] = {
        {"newer file", There::kNewerFile, false, false, result::kSuccess},
        {"older file", There::kOlderFile, false, true, result::kSuccess},
        {"folder", There::kFolder, false, false, result::kFileExists},
        {"link", There::kLink, false, false, result::kFileExists},
        {"fifo", There::kFifo, false, false, result::kFileExists},
        {"folder, never overwrite", There::kFolder, true, false, result::kSuccess},
    };
    for (const Case& c : cases) {
        fs::path at = root_ / "dest" / c.name;
        switch (c.there) {
            case There::kNewerFile:
            case There::kOlderFile:
                std::ofstream(at) << "local";
                fs::last_write_time(at, At(entry_time + (c.there == There::kNewerFile ? 60 : -60)));
                break;
            case There::kFolder:
                fs::create_directory(at);
                break;
            case There::kLink:
                fs::create_symlink("elsewhere", at);
                break;
            case There::kFifo:
                ASSERT_EQ(mkfifo(at.c_str(), 0600), 0);
                break;
        }
        OutputLog log;
        ResultKeeper result;
        ExtractOptions options{Dest()};
        options.only_newer = !c.never_overwrite;
        options.never_overwrite = c.never_overwrite;
        ExtractTarget target(options, log, result);
        EXPECT_EQ(target.Place(c.name, entry_time, false).has_value(), c.placed) << c.name;
        EXPECT_EQ(result.code(), c.code) << c.name << ": " << log.text();
        if (c.code == result::kFileExists) {
            EXPECT_NE(log.text().find("in the way"), std::string::npos) << c.name;
        }
    }
}

// Folders get their stored permissions once their contents are written, so a read-only folder
// is still filled and a private one stays private.
TEST_F(ExtractionTest, FolderPermissionsComeAtTheEnd) {
    struct Case {
        const char* folder;
        std::optional<uint32_t> mode;
        bool restore;
        std::optional<fs::perms> expected;  // nullopt: as made
    };
    const Case cases[] = {
        {"private", 0700, true, fs::perms(0700)},
        {"read-only", 0555, true, fs::perms(0555)},
        {"set-id bits dropped", 02755, true, fs::perms(0755)},
        {"none stored", std::nullopt, true, std::nullopt},
        {"not restored", 0700, false, std::nullopt},
    };
    OutputLog log;
    ResultKeeper result;
    fs::perms made;
    {
        ExtractOptions options{Dest()};
        ExtractTarget restoring(options, log, result);
        options.restore_mode = false;
        ExtractTarget plain(options, log, result);
        for (const Case& c : cases) {
            ExtractTarget& target = c.restore ? restoring : plain;
            target.MakeFolder(c.folder, 0, c.mode);
            PendingFile file = target.BeginFile(std::string(c.folder) + "/inside.txt");
            file.Write("x", 1);
            file.Commit(0, std::nullopt);
        }
        made = fs::status(root_ / "dest" / "private").permissions();
    }
    for (const Case& c : cases) {
        EXPECT_EQ(fs::status(root_ / "dest" / c.folder).permissions(), c.expected.value_or(made))
            << c.folder;
        EXPECT_EQ(Slurp(root_ / "dest" / c.folder / "inside.txt"), "x") << c.folder;
        fs::permissions(root_ / "dest" / c.folder, fs::perms::owner_all);
    }
    EXPECT_EQ(result.code(), result::kSuccess);
}

TEST_F(ExtractionTest, UnfinishedFileLeavesTheOldOne) {
    std::ofstream(root_ / "dest" / "keep.txt") << "old";
    OutputLog log;
    ResultKeeper result;
    ExtractTarget target({Dest()}, log, result);
    {
        PendingFile file = target.BeginFile("keep.txt");
        file.Write("partial", 7);
    }
    EXPECT_EQ(Slurp(root_ / "dest" / "keep.txt"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "dest"), {}), 1);
}

// Whether a file is made with its permissions or gets them when committed, it ends with the
// permissions asked for at the commit: the mask never takes bits away, set-id bits never come.
TEST_F(ExtractionTest, CommittedFilesHaveExactlyTheirPermissions) {
    struct Case {
        const char* name;
        std::optional<uint32_t> begin_mode, commit_mode;
        bool restore;
        bool existing;                      // written beside an old file and renamed over it
        std::optional<fs::perms> expected;  // nullopt: the default permissions
    };
    const Case cases[] = {
        {"plain", 0644, 0644, true, false, fs::perms(0644)},
        {"bits the mask would take", 0666, 0666, true, false, fs::perms(0666)},
        {"executable", 0755, 0755, true, false, fs::perms(0755)},
        {"no permissions at all", 0, 0, true, false, fs::perms(0)},
        {"set-id bits dropped", 04755, 04755, true, false, fs::perms(0755)},
        {"other mode at the commit", 0640, 0600, true, false, fs::perms(0600)},
        {"not restored", 0600, 0600, false, false, std::nullopt},
        {"none known when begun", std::nullopt, 0640, true, false, fs::perms(0640)},
        {"over an old file", 0640, 0640, true, true, fs::perms(0640)},
    };
    OutputLog log;
    ResultKeeper result;
    ExtractOptions options{Dest()};
    ExtractTarget restoring(options, log, result);
    options.restore_mode = false;
    ExtractTarget plain(options, log, result);
    fs::perms defaults = fs::perms(DefaultFileMode());
    for (const Case& c : cases) {
        if (c.existing) std::ofstream(root_ / "dest" / c.name) << "old";
        ExtractTarget& target = c.restore ? restoring : plain;
        PendingFile file = target.BeginFile(c.name, c.begin_mode);
        file.Write("x", 1);
        file.Commit(1704067200, c.commit_mode);
        EXPECT_EQ(fs::status(root_ / "dest" / c.name).permissions(), c.expected.value_or(defaults))
            << c.name;
        fs::permissions(root_ / "dest" / c.name, fs::perms(0600));  // so that it can be removed
    }
}

TEST_F(ExtractionTest, ExistingLinkAtTheNameIsReplacedNotFollowed) {
    std::ofstream(root_ / "outside" / "victim") << "safe";
    fs::create_symlink(root_ / "outside" / "victim", root_ / "dest" / "name");
    OutputLog log;
    ResultKeeper result;
    ExtractTarget target({Dest()}, log, result);
    PendingFile file = target.BeginFile("name");
    file.Write("new", 3);
    file.Commit(0, std::nullopt);
    EXPECT_EQ(Slurp(root_ / "outside" / "victim"), "safe");
    EXPECT_FALSE(fs::is_symlink(root_ / "dest" / "name"));
}

// Steps in archive order; each link is judged by what the steps before it left on disk.
TEST_F(ExtractionTest, LinksCannotLeadOutThroughOneAnother) {
    std::ofstream(root_ / "outside" / "victim") << "victim";
    fs::create_hard_link(root_ / "outside" / "victim", root_ / "dest" / "planted");
    enum Kind { kFile, kLink, kHard };
    struct Step {
        Kind kind;
        const char* name;
        const char* target;
        bool made;
    };
    const Step steps[] = {
        {kLink, "s", ".", true},         {kLink, "d", "s/..", false},
        {kLink, "late", "t/../x", true}, {kLink, "t", ".", false},
        {kLink, "late", "t/../y", true}, {kLink, "u/v", "../s/x", true},
        {kLink, "s", "u", false},        {kFile, "f.txt", nullptr, true},
        {kHard, "h", "f.txt", true},     {kHard, "h2", "h", true},
        {kHard, "hp", "planted", false}, {kHard, "hs", "s", false},
        {kHard, "hl", "s/f.txt", false}, {kLink, "w", "f.txt/..", true},
        {kLink, "f.txt", "t", false},
    };
    OutputLog log;
    ResultKeeper result;
    ExtractTarget target({Dest()}, log, result);
    for (const Step& step : steps) {
        bool made = true;
        if (step.kind == kFile) {
            PendingFile file = target.BeginFile(step.name);
            file.Write("data", 4);
            file.Commit(0, std::nullopt);
        } else {
            made = step.kind == kLink ? target.MakeLink(step.name, step.target)
                                      : target.MakeHardLink(step.name, step.target);
        }
        EXPECT_EQ(made, step.made) << step.name << " -> " << (step.target ? step.target : "");
    }
    EXPECT_EQ(result.code(), result::kAccessDenied);
    EXPECT_EQ(fs::read_symlink(root_ / "dest" / "s"), ".");
    EXPECT_EQ(Slurp(root_ / "dest" / "h2"), "data");
    EXPECT_EQ(fs::hard_link_count(root_ / "outside" / "victim"), 2u);
    EXPECT_NE(log.text().find("refused d: "), std::string::npos);
}

TEST_F(ExtractionTest, ReplacementCommitsOnlyWhenComplete) {
    fs::path arc = root_ / "a.zip";
    std::ofstream(arc) << "old archive";
    {
        ReplacementFile replacement(arc.string());
        replacement.file().Write("new", 3);
    }
    EXPECT_EQ(Slurp(arc), "old archive");
    {
        ReplacementFile replacement(arc.string());
        replacement.file().Write("new", 3);
        replacement.Commit();
    }
    EXPECT_EQ(Slurp(arc), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}), 3);  // dest, outside, a.zip
}

TEST_F(ExtractionTest, AFullDiskIsReportedAsSuch) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    OutputFile full = OutputFile::Create("/dev/full");
    try {
        std::string block(1 << 16, 'x');
        full.Write(block.data(), block.size());
        full.Close();
        ADD_FAILURE() << "writing to /dev/full succeeded";
    } catch (const Failure& f) {
        EXPECT_EQ(f.code(), result::kDiskFull);
    }
}

TEST_F(ExtractionTest, SourcesFromNamesAndPatterns) {
    fs::path base = root_ / "base";
    fs::create_directories(base / "docs" / "deep");
    for (const char* f : {"a.txt", "b.c", ".hidden", "docs/d.txt", "docs/deep/e.txt"})
        std::ofstream(base / f) << f;
    auto names = [&](std::vector<std::string> patterns, SourceOptions options) {
        options.base = base.string() + "/";
        OutputLog log;
        ResultKeeper result;
        std::vector<std::string> out;
        for (const SourceItem& item : CollectSources(patterns, options, log, result))
            out.push_back(item.stored);
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(names({"*.*"}, {}), (V{".hidden", "a.txt", "b.c"}));
    EXPECT_EQ(names({"*.*"}, {.include_hidden = false}), (V{"a.txt", "b.c"}));
    EXPECT_EQ(names({"*.*"}, {.recursive = true, .include_hidden = false}),
              (V{"a.txt", "b.c", "docs/", "docs/d.txt", "docs/deep/", "docs/deep/e.txt"}));
    EXPECT_EQ(names({"*.txt"}, {.recursive = true, .folder_entries = false}),
              (V{"a.txt", "docs/d.txt", "docs/deep/e.txt"}));
    EXPECT_EQ(names({"docs/*.*", "a.txt", "a.txt"}, {}), (V{"docs/d.txt", "a.txt"}));
    EXPECT_EQ(names({"docs"}, {.junk_paths = true}), (V{"d.txt", "e.txt"}));
    OutputLog log;
    ResultKeeper result;
    CollectSources({"missing.txt"}, {.base = base.string() + "/"}, log, result);
    EXPECT_EQ(result.code(), result::kFileNotFound);
}

// Without their folders two files would share one name and one would silently replace the
// other in the archive: refused, naming each clash. The same file named twice is no clash.
TEST_F(ExtractionTest, SourcesThatJunkPathsMakeAlikeAreRefused) {
    fs::path base = root_ / "base";
    for (const char* f : {"a/same.txt", "b/same.txt", "c/deep/same.txt", "a/own.txt"}) {
        fs::create_directories((base / f).parent_path());
        std::ofstream(base / f) << f;
    }
    struct Case {
        std::vector<std::string> names;
        bool junk;
        size_t clashes;
    };
    const Case cases[] = {
        {{"a", "b"}, true, 1},
        {{"*.*"}, true, 2},
        {{"a", "a/own.txt", "a/same.txt"}, true, 0},
        {{"*.*"}, false, 0},
    };
    for (const Case& c : cases) {
        OutputLog log;
        ResultKeeper result;
        SourceOptions options{.base = base.string() + "/", .recursive = true, .junk_paths = c.junk};
        std::string what = c.names[0] + (c.junk ? " junked" : "");
        try {
            CollectSources(c.names, options, log, result);
            EXPECT_EQ(c.clashes, 0u) << what;
        } catch (const Failure& f) {
            EXPECT_EQ(f.code(), result::kSameNameStored) << what;
            EXPECT_NE(c.clashes, 0u) << what;
        }
        size_t lines = 0;
        for (size_t at = log.text().find("refused "); at != std::string::npos;
             at = log.text().find("refused ", at + 1))
            ++lines;
        EXPECT_EQ(lines, c.clashes) << what << ": " << log.text();
    }
}

}  // namespace
}  // namespace quorvex6::backend
