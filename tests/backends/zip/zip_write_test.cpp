// zip32j: what it writes other tools read, and packing into an existing archive loses nothing.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <random>

#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

class ZipWrite : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        base_ = root_ / "base";
        WriteAll(base_ / "hello.txt", "hello\n");
        WriteAll(base_ / "empty.txt", "");
        WriteAll(base_ / "日本語 name.txt", "nihongo\n");
        WriteAll(base_ / "deep/a/b/c/d/e/f/g/deep.txt", "deep\n");
        fs::create_directories(base_ / "empty-folder");
        std::string text;
        for (uint64_t i = 0; text.size() < (9u << 20); ++i)
            text += "line " + std::to_string(i * 7919 % 100003) + " of the text\n";
        WriteAll(base_ / "big/text.txt", text);  // streams through the two-thread deflate
        std::mt19937 rng(7);
        std::string noise(1 << 20, '\0');
        for (char& c : noise) c = static_cast<char>(rng());
        WriteAll(base_ / "noise.bin", noise);  // stored: deflate does not pay
        fs::create_symlink("hello.txt", base_ / "link");
        WriteAll(base_ / ".hidden", "hidden\n");
        archive_ = root_ / "out.zip";
    }
    int32_t Pack(const std::string& opts, const std::string& names = "*.*",
                 std::string* log = nullptr) {
        return zip_.Command(
            "Zip", opts + " " + Quote(archive_) + " " + QuoteFolder(base_) + " " + names, log);
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        auto open = unzip_.Get<QvOpenArchiveFn>("UnZipOpenArchive");
        auto first = unzip_.Get<QvFindFirstFn>("UnZipFindFirst");
        auto next = unzip_.Get<QvFindNextFn>("UnZipFindNext");
        auto close = unzip_.Get<QvCloseArchiveFn>("UnZipCloseArchive");
        QvArchive h = open(0, archive_.c_str(), 0);
        EXPECT_NE(h, 0u);
        alignas(4) char buffer[QV_ENTRY_BUFFER_SIZE];
        auto* info = reinterpret_cast<QvEntryInfo*>(buffer);
        for (int32_t rc = first(h, "*.*", info); rc == 0; rc = next(h, info))
            names.emplace_back(info->name);
        EXPECT_EQ(close(h), 0);
        return names;
    }
    // Each tool extracts the archive into a folder of its name, which must then hold `expected`.
    void ExpectToolsExtract(std::initializer_list<std::string> tools,
                            const std::map<std::string, std::string>& expected) {
        const std::map<std::string, std::string> commands = {
            {"unzip", "LC_ALL=C.UTF-8 unzip -q " + Quote(archive_) + " -d "},
            {"7zz", "LC_ALL=C.UTF-8 7zz x -y " + Quote(archive_) + " -o"},
            {"bsdtar", "bsdtar -xf " + Quote(archive_) + " -C "},
        };
        for (const std::string& tool : tools) {
            fs::path out = root_ / tool;
            fs::create_directories(out);
            EXPECT_EQ(RunTool(commands.at(tool) + Quote(out)), 0) << tool;
            EXPECT_EQ(ReadTree(out), expected) << tool;
        }
    }
    fs::path base_, archive_;
    BackendLibrary zip_{"zip32j"}, unzip_{"unzip32"};
};

TEST_F(ZipWrite, OtherToolsTestAndExtractWhatWeWrite) {
    ASSERT_EQ(Pack("-r -S -q"), 0);
    EXPECT_EQ(RunTool("unzip -tq " + Quote(archive_)), 0);
    EXPECT_EQ(RunTool("7zz t " + Quote(archive_)), 0);
    EXPECT_EQ(RunTool("bsdtar -tf " + Quote(archive_)), 0);
    auto expected = ReadTree(base_);
    ExpectToolsExtract({"unzip", "7zz", "bsdtar"}, expected);
    fs::path ours = root_ / "ours";
    EXPECT_EQ(
        unzip_.Command("UnZip", "-x --i " + Quote(archive_) + " " + QuoteFolder(ours) + " *.*"), 0);
    EXPECT_EQ(ReadTree(ours), expected);
    EXPECT_EQ(fs::status(ours / "hello.txt").permissions(),
              fs::status(base_ / "hello.txt").permissions());
}

// Any bytes make a POSIX name: one that is not UTF-8 goes unflagged as it is, a backslash stays
// part of the name, and a time past 2038 comes back, from us and from the peers.
TEST_F(ZipWrite, NamesAndTimesComeBackAsTheyWere) {
    fs::path names = root_ / "names";
    WriteAll(names / "caf\xe9.txt", "latin1\n");
    WriteAll(names / "back\\slash.txt", "one name\n");
    WriteAll(names / "日本語.txt", "utf8\n");
    const struct timespec times[2] = {{2214450367, 0}, {2214450367, 0}};  // 2040-03-04 05:06:07 UTC
    ASSERT_EQ(utimensat(AT_FDCWD, (names / "back\\slash.txt").c_str(), times, 0), 0);
    ASSERT_EQ(zip_.Command("Zip", "-q " + Quote(archive_) + " " + QuoteFolder(names) + " *.*"), 0);
    // Python's zipfile refuses an archive with a flagged name that is not UTF-8; unflagged, it
    // reads the name as CP437.
    WriteAll(
        root_ / "flags.py",
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "assert z.testzip() is None\n"
        "flags = {i.filename: i.flag_bits & 0x800 for i in z.infolist()}\n"
        "assert flags == {'cafΘ.txt': 0, 'back\\\\slash.txt': 0, '日本語.txt': 0x800}, flags\n");
    EXPECT_EQ(std::system(("python3 " + Quote(root_ / "flags.py") + " " + Quote(archive_)).c_str()),
              0);
    EXPECT_EQ(RunTool("bsdtar -tf " + Quote(archive_)), 0);
    auto expected = ReadTree(names);
    ExpectToolsExtract({"unzip", "7zz"}, expected);  // bsdtar splits names at a backslash
    fs::path ours = root_ / "ours";
    EXPECT_EQ(
        unzip_.Command("UnZip", "-x --i " + Quote(archive_) + " " + QuoteFolder(ours) + " *.*"), 0);
    EXPECT_EQ(ReadTree(ours), expected);
    for (const char* out : {"ours", "unzip", "7zz"}) {
        struct stat st {};
        ASSERT_EQ(stat((root_ / out / "back\\slash.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, 2214450367) << out;
    }
}

TEST_F(ZipWrite, SwitchesShapeTheEntries) {
    using V = std::vector<std::string>;
    struct Case {
        const char* opts;
        const char* names;
        V expected;
    };
    const Case cases[] = {
        {"-q", "*.*", {"empty.txt", "hello.txt", "link", "noise.bin", "日本語 name.txt"}},
        {"-q -S", "*.txt", {"empty.txt", "hello.txt", "日本語 name.txt"}},
        {"-q -r -D", "deep/*.*", {"deep/a/b/c/d/e/f/g/deep.txt"}},
        {"-q -r",
         "deep/*.*",
         {"deep/a/", "deep/a/b/", "deep/a/b/c/", "deep/a/b/c/d/", "deep/a/b/c/d/e/",
          "deep/a/b/c/d/e/f/", "deep/a/b/c/d/e/f/g/", "deep/a/b/c/d/e/f/g/deep.txt"}},
        {"-q -r -j", "deep", {"deep.txt"}},
        {"-q -S", ".hidden hello.txt", {".hidden", "hello.txt"}},
    };
    for (const Case& c : cases) {
        fs::remove(archive_);
        EXPECT_EQ(Pack(c.opts, c.names), 0) << c.opts << " " << c.names;
        EXPECT_EQ(Names(), c.expected) << c.opts << " " << c.names;
    }
}

TEST_F(ZipWrite, LevelZeroStoresAndUnknownSwitchesAreRefused) {
    ASSERT_EQ(Pack("-0 -q", "hello.txt"), 0);
    std::string listing;
    EXPECT_EQ(unzip_.Command("UnZip", "-l " + archive_.string(), &listing), 0);
    EXPECT_NE(listing.find(" Store "), std::string::npos);
    EXPECT_EQ(Pack("-q -z"), result::kBadCommand);
    EXPECT_EQ(Pack("-rq"), result::kBadCommand);
    EXPECT_EQ(zip_.Command("Zip", "--sfx " + Quote(archive_) + " " + QuoteFolder(root_)),
              result::kNotSupportedApi);
    EXPECT_EQ(Pack("-q", "missing.txt"), result::kFileNotFound);
}

TEST_F(ZipWrite, UpdateReplacesOnlyNewerAndKeepsTheRest) {
    ASSERT_EQ(Pack("-q", "hello.txt empty.txt"), 0);
    // An older file does not replace the stored one under -u, a newer one does.
    WriteAll(base_ / "hello.txt", "changed but old\n");
    fs::last_write_time(base_ / "hello.txt",
                        fs::file_time_type::clock::now() - std::chrono::hours(48));
    WriteAll(base_ / "added.txt", "added\n");
    ASSERT_EQ(Pack("-u -q", "hello.txt added.txt"), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"hello.txt", "empty.txt", "added.txt"}));
    fs::path out = root_ / "x1";
    EXPECT_EQ(
        unzip_.Command("UnZip", "-x --i " + Quote(archive_) + " " + QuoteFolder(out) + " *.*"), 0);
    EXPECT_EQ(ReadAll(out / "hello.txt"), "hello\n");
    fs::last_write_time(base_ / "hello.txt",
                        fs::file_time_type::clock::now() + std::chrono::hours(1));
    ASSERT_EQ(Pack("-u -q", "hello.txt"), 0);
    fs::path out2 = root_ / "x2";
    EXPECT_EQ(
        unzip_.Command("UnZip", "-x --i " + Quote(archive_) + " " + QuoteFolder(out2) + " *.*"), 0);
    EXPECT_EQ(
        ReadTree(out2),
        (std::map<std::string, std::string>{
            {"hello.txt", "changed but old\n"}, {"empty.txt", ""}, {"added.txt", "added\n"}}));
    EXPECT_EQ(RunTool("unzip -tq " + Quote(archive_)), 0);
}

TEST_F(ZipWrite, AFailedUpdateLeavesTheOldArchive) {
    ASSERT_EQ(Pack("-q", "hello.txt"), 0);
    std::string before = ReadAll(archive_);
    // Writes past 64 KiB fail (EFBIG) while the new archive is written beside the old one.
    struct rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = {64 << 10, old_limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    int32_t code = Pack("-q -r", "*.*");
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(code, result::kWriteError);
    EXPECT_EQ(ReadAll(archive_), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}),
              2);  // base and out.zip: no work file left
}

}  // namespace
}  // namespace quorvex6::testing
