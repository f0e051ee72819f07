// quorvex-arj's `u` as the control composes it: which entries are replaced or kept, names
// without folders, names that match nothing, FIFOs, the archive's own name, and updates that
// fail leaving the old archive as it was.
#include <sys/stat.h>

#include <random>

#include "arj_writer_fixture.h"

namespace quorvex6::testing {
namespace {

void SetTime(const fs::path& path, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

class ArjUpdate : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        src_ = root_ / "src";
        archive_ = root_ / "a.arj";
        Put("a.txt", "first a", 1000000000);
        Put("b.txt", "first b", 1000000000);
    }
    void Put(const std::string& name, const std::string& text, time_t when) {
        WriteAll(src_ / name, text);
        SetTime(src_ / name, when);
    }
    fs::path src_, archive_;
};

TEST_F(ArjUpdate, ReplacesNewerFilesOrWithMinusCEveryNamedOne) {
    struct Step {
        const char* what;
        std::vector<std::string> switches;
        const char* a_text;
        time_t a_time;
        std::map<std::string, std::string> stored;
    };
    const Step steps[] = {
        {"first pack", {}, "first a", 1000000000, {{"a.txt", "first a"}, {"b.txt", "first b"}}},
        {"same time: kept",
         {},
         "second a",
         1000000000,
         {{"a.txt", "first a"}, {"b.txt", "first b"}}},
        {"newer: replaced",
         {},
         "third a",
         1000000002,
         {{"a.txt", "third a"}, {"b.txt", "first b"}}},
        {"older: kept", {}, "old a", 900000000, {{"a.txt", "third a"}, {"b.txt", "first b"}}},
        {"older with -c: replaced",
         {"-c"},
         "old a",
         900000000,
         {{"a.txt", "old a"}, {"b.txt", "first b"}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        Put("a.txt", step.a_text, step.a_time);
        std::vector<std::string> args = {"u"};
        args.insert(args.end(), step.switches.begin(), step.switches.end());
        args.insert(args.end(), {archive_.string(), "*"});
        EXPECT_EQ(Writer(src_, args).code, 0);
        EXPECT_EQ(ReadBack(archive_), step.stored);
    }
}

TEST_F(ArjUpdate, OutcomesAndExitCodes) {
    struct Case {
        const char* what;
        std::vector<std::string> args;  // after "u"; {A} is the archive
        int code;
        const char* says;                 // in the output
        std::vector<std::string> stored;  // empty: no archive
    };
    fs::create_directories(src_ / "one");
    fs::create_directories(src_ / "two");
    WriteAll(src_ / "one/same.txt", "1");
    WriteAll(src_ / "two/same.txt", "2");
    ASSERT_EQ(mkfifo((src_ / "fifo").c_str(), 0644), 0);
    const Case cases[] = {
        {"names without folders that repeat", {"-r", "-e", "{A}", "*"}, 2, "same.txt", {}},
        {"names without folders", {"-e", "{A}", "one/*", "a.txt"}, 0, "", {"a.txt", "same.txt"}},
        {"a missing name beside one that exists",
         {"{A}", "a.txt", "nothing.txt"},
         1,
         "nothing.txt",
         {"a.txt"}},
        {"only a missing name", {"{A}", "nothing.txt"}, 1, "nothing.txt", {}},
        {"a FIFO", {"-a", "{A}", "fifo", "b.txt"}, 1, "fifo", {"b.txt"}},
        {"an unknown switch", {"-jz", "{A}", "a.txt"}, 7, "-jz", {}},
        {"no archive", {}, 7, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(archive_);
        std::vector<std::string> args = {"u"};
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

TEST_F(ArjUpdate, AnArchiveNamedWithoutFolderOrExtensionLandsHereAndNotInItself) {
    ASSERT_EQ(Writer(src_, {"u", "-r", "x"}).code, 0);
    ASSERT_TRUE(fs::exists(src_ / "x.arj"));
    Put("b.txt", "second b", 1000000010);
    ASSERT_EQ(Writer(src_, {"u", "-r", "x", "*"}).code, 0);
    const std::map<std::string, std::string> expected = {{"a.txt", "first a"},
                                                         {"b.txt", "second b"}};
    EXPECT_EQ(ReadBack(src_ / "x.arj"), expected);
}

TEST_F(ArjUpdate, AnUpdateThatFailsLeavesTheOldArchiveUntouched) {
    ASSERT_EQ(Writer(src_, {"u", archive_.string(), "*"}).code, 0);
    const std::string whole = ReadAll(archive_);
    struct Case {
        const char* what;
        std::string bytes;
        int code;
    };
    const Case cases[] = {
        {"cut inside its last entry", whole.substr(0, whole.size() - 8), 2},
        {"not an ARJ archive", "plain text, no archive at all", 9},
    };
    Put("b.txt", "newer b", 1000000100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(archive_, c.bytes);
        EXPECT_EQ(Writer(src_, {"u", archive_.string(), "*"}).code, c.code);
        EXPECT_EQ(ReadAll(archive_), c.bytes);
    }
    EXPECT_EQ(Writer(src_, {"u", (root_ / "no/such/folder/a.arj").string(), "*"}).code, 6);

    // A write that fails: past a file-size limit of 64 KiB, with the signal ignored.
    WriteAll(archive_, whole);
    std::mt19937 random(7);
    std::string noise(200000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    WriteAll(src_ / "noise.bin", noise);
    const Ran limited = RunIn(src_, {"sh", "-c", "ulimit -f 128; exec \"$@\"", "sh", QV_ARJ_WRITER,
                                     "u", archive_.string(), "*"});
    EXPECT_EQ(limited.code, 2) << limited.out;
    EXPECT_TRUE(ReadAll(archive_) == whole);
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace quorvex6::testing
