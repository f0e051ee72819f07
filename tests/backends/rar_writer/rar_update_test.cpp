// quorvex-rar's `u` and `a` as the control composes them: which entries are replaced or kept
// (kept ones copied raw), exit codes, and updates that fail leaving the old archive as it was.
#include <sys/stat.h>

#include "rar_writer_fixture.h"

namespace quorvex6::testing {
namespace {

void SetTime(const fs::path& path, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

class RarUpdate : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        src_ = root_ / "src";
        archive_ = root_ / "a.rar";
        Put("a.txt", "first a", 1000000000);
        Put("b.txt", "first b", 1000000000);
    }
    void Put(const std::string& name, const std::string& text, time_t when) {
        WriteAll(src_ / name, text);
        SetTime(src_ / name, when);
    }
    fs::path src_, archive_;
};

TEST_F(RarUpdate, UReplacesChangedFilesAndAEveryNamedOne) {
    struct Step {
        const char* what;
        const char* command;
        const char* a_text;
        time_t a_time;
        const char* a_stored;
    };
    const Step steps[] = {
        {"first pack", "u", "first a", 1000000000, "first a"},
        {"same time: kept", "u", "second a", 1000000000, "first a"},
        {"newer: replaced", "u", "third a", 1000000002, "third a"},
        {"older: kept", "u", "old a", 900000000, "third a"},
        {"older with a: replaced", "a", "old a", 900000000, "old a"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        Put("a.txt", step.a_text, step.a_time);
        EXPECT_EQ(Writer(src_, {step.command, "-std", archive_.string(), "*"}).code, 0);
        const std::map<std::string, std::string> stored = {{"a.txt", step.a_stored},
                                                           {"b.txt", "first b"}};
        EXPECT_EQ(ReadBack(archive_), stored);
        EXPECT_EQ(RunIn(root_, {"bsdtar", "-tf", archive_.string()}).code, 0);
    }
}

TEST_F(RarUpdate, OutcomesAndExitCodes) {
    struct Case {
        const char* what;
        std::vector<std::string> args;  // {A} is the archive
        int code;
        const char* says;                 // in the output
        std::vector<std::string> stored;  // empty: no archive
    };
    ASSERT_EQ(mkfifo((src_ / "fifo").c_str(), 0644), 0);
    const Case cases[] = {
        {"a missing name beside one that exists",
         {"a", "{A}", "a.txt", "nothing.txt"},
         1,
         "nothing.txt",
         {"a.txt"}},
        {"a FIFO", {"a", "{A}", "fifo", "b.txt"}, 1, "fifo", {"b.txt"}},
        {"an unknown switch", {"a", "-m5", "{A}", "a.txt"}, 7, "-m5", {}},
        {"an unknown command", {"x", "{A}", "a.txt"}, 7, "x", {}},
        {"no archive", {"a"}, 7, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(archive_);
        std::vector<std::string> args;
        for (const std::string& a : c.args) args.push_back(a == "{A}" ? archive_.string() : a);
        const Ran ran = Writer(src_, args);
        EXPECT_EQ(ran.code, c.code) << ran.out;
        EXPECT_NE(ran.out.find(c.says), std::string::npos) << ran.out;
        ASSERT_EQ(fs::exists(archive_), !c.stored.empty());
        if (c.stored.empty()) continue;
        std::vector<std::string> names;
        for (const auto& [name, data] : ReadBack(archive_)) names.push_back(name);
        EXPECT_EQ(names, c.stored);
    }
}

TEST_F(RarUpdate, AnArchiveNamedWithoutExtensionGetsOneAndIsNotPackedIntoItself) {
    ASSERT_EQ(Writer(src_, {"a", "-r", "x"}).code, 0);
    ASSERT_TRUE(fs::exists(src_ / "x.rar"));
    Put("b.txt", "second b", 1000000010);
    ASSERT_EQ(Writer(src_, {"u", "-r", "x", "*"}).code, 0);
    const std::map<std::string, std::string> expected = {{"a.txt", "first a"},
                                                         {"b.txt", "second b"}};
    EXPECT_EQ(ReadBack(src_ / "x.rar"), expected);
}

TEST_F(RarUpdate, ARewriteKeepsTheCommentAndDropsTheQuickOpenIndex) {
    struct Case {
        const char* archive;
        std::string comment;
        std::vector<std::string> services;  // after the rewrite
    };
    const Case cases[] = {
        {"rar/rarfile/rar5-crc.rar", "RAR5 archive - crc\n", {"CMT"}},
        {"rar/rarfile/rar5-quick-open.rar", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archive);
        WriteAll(archive_, ReadAll(TestData(c.archive)));
        ASSERT_EQ(Writer(src_, {"a", "-std", archive_.string(), "a.txt"}).code, 0);
        backend::ArchiveInput in(archive_.string());
        const backend::rar::Volume volume = backend::rar::ReadVolume(in);
        EXPECT_FALSE(volume.end_error.has_value());
        EXPECT_EQ(volume.comment, c.comment);
        std::vector<std::string> services;
        for (const backend::rar::Entry& s : volume.services) services.push_back(s.name);
        EXPECT_EQ(services, c.services);
        EXPECT_EQ(volume.entries.size(), 3u);
        EXPECT_EQ(RunIn(root_, {"bsdtar", "-tf", archive_.string()}).code, 0);
    }
}

TEST_F(RarUpdate, AnUpdateThatFailsLeavesTheOldArchiveUntouched) {
    ASSERT_EQ(Writer(src_, {"u", archive_.string(), "*"}).code, 0);
    const std::string whole = ReadAll(archive_);
    struct Case {
        const char* what;
        std::string bytes;
        int code;
    };
    const Case cases[] = {
        {"cut inside its last entry", whole.substr(0, whole.size() - 12), 2},
        {"not a RAR archive", "plain text, no archive at all", 6},
        {"a RAR 4 archive", ReadAll(TestData("rar/libarchive/test_read_format_rar.rar")), 2},
    };
    Put("b.txt", "newer b", 1000000100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(archive_, c.bytes);
        EXPECT_EQ(Writer(src_, {"u", archive_.string(), "*"}).code, c.code);
        EXPECT_TRUE(ReadAll(archive_) == c.bytes);
    }
    EXPECT_EQ(Writer(src_, {"u", (root_ / "no/such/folder/a.rar").string(), "*"}).code, 9);
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace quorvex6::testing
