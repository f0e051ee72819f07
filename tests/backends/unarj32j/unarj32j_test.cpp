// Archives Debian's arj made, extracted, tested and listed through the entry points the control
// binds.
#include <map>
#include <vector>

#include "backends/unarj32j/arj_library.h"

namespace quorvex6::testing {
namespace {

std::map<std::string, std::string> Flattened(const std::map<std::string, std::string>& tree) {
    std::map<std::string, std::string> flat;
    for (const auto& [path, content] : tree)
        if (content != "<folder>") flat[fs::path(path).filename().string()] = content;
    return flat;
}

TEST_F(Unarj32j, EveryMethodAndHostComesOutByteForByte) {
    const auto tree = ReadTree(Data("files"));
    for (const char* name : {"m0.arj", "m1.arj", "m2.arj", "m3.arj", "m4.arj", "dos-host.arj"}) {
        std::string log;
        EXPECT_EQ(Extract(Data(name), root_ / name, "x", "", "*.*", &log), 0) << name << log;
        EXPECT_EQ(ReadTree(root_ / name), tree) << name;
        EXPECT_EQ(Check(Data(name), 2), 1) << name;
    }
}

TEST_F(Unarj32j, WithoutFolderNamesEveryFileLandsInTheTarget) {
    ASSERT_EQ(Extract(Data("m1.arj"), root_ / "e", "e"), 0);
    EXPECT_EQ(ReadTree(root_ / "e"), Flattened(ReadTree(Data("files"))));
}

TEST_F(Unarj32j, FolderEntriesAreMadeWithTheirFiles) {
    ASSERT_EQ(Extract(Data("folders.arj"), root_ / "x"), 0);
    EXPECT_EQ(ReadTree(root_ / "x"),
              (std::map<std::string, std::string>{
                  {"sub", "<folder>"},
                  {"sub/deep", "<folder>"},
                  {"sub/deep/nested.txt", ReadAll(Data("files/sub/deep/nested.txt"))}}));
}

// Links come out through the shared link rules; FIFOs and devices are not made.
TEST_F(Unarj32j, LinksAreMadeAndFifosSkipped) {
    std::string log;
    ASSERT_EQ(Extract(Data("special.arj"), root_ / "s", "x", "", "*.*", &log), 0) << log;
    EXPECT_EQ(ReadTree(root_ / "s"),
              (std::map<std::string, std::string>{{"NOEXT", ReadAll(Data("files/NOEXT"))},
                                                  {"ln", "-> NOEXT"},
                                                  {"long", "-> sub/" + std::string(70, 'x')}}));
    EXPECT_NE(log.find("skipped fifo"), std::string::npos) << log;
}

// As arj shows an archive of chapters: the latest one, its label listed but not made.
TEST_F(Unarj32j, TheLatestChapterIsWhatComesOutAndIsListed) {
    std::string log;
    ASSERT_EQ(Extract(Data("chapters.arj"), root_ / "c", "x", "", "*.*", &log), 0) << log;
    EXPECT_EQ(ReadTree(root_ / "c"),
              (std::map<std::string, std::string>{{"a.txt", "second\n"}, {"c.txt", "new\n"}}));
    QvArchive handle =
        lib_.Get<QvOpenArchiveFn>("UnarjOpenArchive")(0, Data("chapters.arj").c_str(), 0);
    std::vector<std::string> names;
    QvEntryInfo info{};
    for (int r = lib_.Get<QvFindFirstFn>("UnarjFindFirst")(handle, "*.*", &info); r == 0;
         r = lib_.Get<QvFindNextFn>("UnarjFindNext")(handle, &info))
        names.push_back(info.name);
    lib_.Get<QvCloseArchiveFn>("UnarjCloseArchive")(handle);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "c.txt", "<<<002>>>"}));
}

TEST_F(Unarj32j, NamesPatternsAndListFilesSelect) {
    WriteAll(root_ / "list.txt", "\"NOEXT\"\r\n\"sub/deep/*\"\r\n\r\n");
    struct Case {
        std::string tail;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"NOEXT", {"NOEXT"}},
        {"*.bin", {"far-repeat.bin", "noise.bin"}},
        {"\"with space.txt\"", {"with space.txt"}},
        {"\"!" + (root_ / "list.txt").string() + "\"", {"NOEXT", "sub/deep/nested.txt"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        fs::path dest = root_ / std::to_string(n++);
        ASSERT_EQ(Extract(Data("m1.arj"), dest, "x", "", c.tail), 0) << c.tail;
        std::vector<std::string> got;
        for (const auto& [path, content] : ReadTree(dest))
            if (content != "<folder>") got.push_back(path);
        EXPECT_EQ(got, c.want) << c.tail;
    }
}

TEST_F(Unarj32j, TheControlsSwitchesAreTakenAndOthersRefused) {
    for (const char* switches : {"-u", "-a", "-i", "-hp1", "-u -a -i -hp1"}) {
        EXPECT_EQ(Extract(Data("m1.arj"), root_ / "s", "x", switches), 0) << switches;
    }
    EXPECT_EQ(Extract(Data("m1.arj"), root_ / "bad", "x", "-q"), result::kBadCommand);
    EXPECT_EQ(Extract(Data("m1.arj"), root_ / "bad", "x", "-hp7"), result::kBadCommand);
    EXPECT_FALSE(fs::exists(root_ / "bad"));
}

TEST_F(Unarj32j, OnlyNewerKeepsALaterFileAndFillsInMissingOnes) {
    WriteAll(root_ / "u/NOEXT", "mine");  // written now: later than the stored 2021 time
    ASSERT_EQ(Extract(Data("m1.arj"), root_ / "u", "x", "-u"), 0);
    EXPECT_EQ(ReadAll(root_ / "u/NOEXT"), "mine");
    EXPECT_EQ(ReadAll(root_ / "u/text.txt"), ReadAll(Data("files/text.txt")));
}

TEST_F(Unarj32j, GarbledEntriesAreRefusedAndNeverWritten) {
    std::string log;
    EXPECT_EQ(Extract(Data("garbled.arj"), root_ / "g", "x", "", "*.*", &log),
              result::kPasswordFile)
        << log;
    EXPECT_EQ(ReadTree(root_ / "g"),
              (std::map<std::string, std::string>{{"NOEXT", ReadAll(Data("files/NOEXT"))}}));
    EXPECT_EQ(Check(Data("garbled.arj"), 1), 1);
    EXPECT_EQ(Check(Data("garbled.arj"), 2), 0);
}

TEST_F(Unarj32j, CheckTellsArchivesFromOtherFiles) {
    WriteAll(root_ / "not.arj", "not an archive at all");
    EXPECT_EQ(Check(root_ / "not.arj", 0), 0);
    EXPECT_EQ(Check(root_ / "missing.arj", 0), 0);
    EXPECT_EQ(Check(Data("m4.arj"), 0), 1);
    EXPECT_EQ(lib_.Command("Unarj", "x -+ " + Quote(root_ / "not.arj") + " " +
                                        QuoteFolder(root_ / "n") + " *.*"),
              result::kNotValidArchive);
    EXPECT_GE(lib_.Get<QvGetVersion16Fn>("UnarjGetVersion")(), 100);
}

// The records the enumerated listing formats: sizes, check values, method and attribute texts,
// DOS date and time (the UNIX host's UTC seconds in local time, here UTC).
TEST_F(Unarj32j, ListingRecordsDescribeEachEntry) {
    struct Case {
        const char* archive;
        const char* method;
        uint32_t os;
    };
    for (const Case& c :
         {Case{"m0.arj", "-m0-", 2}, Case{"m4.arj", "-m4-", 2}, Case{"dos-host.arj", "-m1-", 0}}) {
        auto open = lib_.Get<QvOpenArchiveFn>("UnarjOpenArchive");
        auto first = lib_.Get<QvFindFirstFn>("UnarjFindFirst");
        auto next = lib_.Get<QvFindNextFn>("UnarjFindNext");
        auto close = lib_.Get<QvCloseArchiveFn>("UnarjCloseArchive");
        QvArchive handle = open(0, Data(c.archive).c_str(), 0);
        ASSERT_NE(handle, QvArchive{}) << c.archive;
        std::map<std::string, QvEntryInfo> seen;
        QvEntryInfo info{};
        for (int r = first(handle, "*.*", &info); r == 0; r = next(handle, &info))
            seen[info.name] = info;
        close(handle);
        ASSERT_EQ(seen.size(), 8u) << c.archive;
        const QvEntryInfo& text = seen["text.txt"];
        EXPECT_EQ(text.original_size, 200005u) << c.archive;
        EXPECT_STREQ(text.method, c.method) << c.archive;
        EXPECT_EQ(text.os_type, c.os) << c.archive;
        EXPECT_EQ(text.dos_date, ((2021 - 1980) << 9) | (6 << 5) | 15) << c.archive;
        EXPECT_EQ(text.dos_time, (12 << 11) | (34 << 5) | (56 / 2)) << c.archive;
        EXPECT_STREQ(seen["sub/deep/nested.txt"].attribute, "a--w") << c.archive;
    }
}

}  // namespace
}  // namespace quorvex6::testing
