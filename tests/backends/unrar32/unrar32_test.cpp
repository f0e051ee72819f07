// RAR archives extracted, tested and listed through the entry points the control binds, with
// the command lines it builds: rarstore's stored archives byte for byte, the real program's
// archives as far as their data is stored, compressed and encrypted entries refused cleanly.
#include <map>
#include <vector>

#include "backends/unrar32/rar_library.h"

namespace quorvex6::testing {
namespace {

using Tree = std::map<std::string, std::string>;

Tree Flattened(const Tree& tree) {
    Tree flat;
    for (const auto& [path, content] : tree)
        if (content != "<folder>") flat[fs::path(path).filename().string()] = content;
    return flat;
}

Tree Files(const Tree& tree) {
    Tree files;
    for (const auto& [path, content] : tree)
        if (content != "<folder>") files[path] = content;
    return files;
}

TEST_F(Unrar32, StoredArchivesOfBothGenerationsComeOutByteForByte) {
    const Tree files = Files(ReadTree(Data("store/files")));
    for (const char* name : {"store/store4.rar", "store/store5.rar"}) {
        std::string log;
        fs::path x = root_ / "x" / fs::path(name).filename();
        EXPECT_EQ(Extract(Data(name), x, "-x", "", "*.*", &log), 0) << name << log;
        EXPECT_EQ(Files(ReadTree(x)), files) << name;
        fs::path e = root_ / "e" / fs::path(name).filename();
        EXPECT_EQ(Extract(Data(name), e, "-e"), 0) << name;
        EXPECT_EQ(ReadTree(e), Flattened(files)) << name;
        EXPECT_EQ(Check(Data(name), 2), 1) << name;
    }
}

// Sets of volumes, folders, RAR 4 symlinks whose target is their data: what libarchive's and
// rarfile's suites made with the real program, where the data is stored.
TEST_F(Unrar32, TheRealProgramsStoredArchivesComeOut) {
    struct Case {
        const char* archive;
        Tree want;  // a part of what comes out
    };
    const Case cases[] = {
        {"rarfile/rar3-subdirs.rar",
         {{"sub/dir1/file1.txt", "file1\n"}, {"sub/empty", "<folder>"}}},
        {"rarfile/rar5-subdirs.rar", {{"sub/with space/long fn.txt", "long fn\n"}}},
        {"rarfile/rar3-symlink-unix.rar", {{"data_link", "-> data.txt"}, {"data.txt", "data\n"}}},
        {"rarfile/rar5-symlink-unix.rar", {{"data_link", "-> data.txt"}}},
        {"libarchive/test_rar_multivolume_uncompressed_files.part01.rar",
         {{"testdir/testemptysubdir", "<folder>"},
          {"testsymlink", "-> testdir/LibarchiveAddingTest.html"}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        fs::path dest = root_ / std::to_string(n++);
        std::string log;
        Extract(Data(c.archive), dest, "-x", "", "*.*", &log);
        Tree got = ReadTree(dest);
        for (const auto& [path, content] : c.want)
            EXPECT_EQ(got[path], content) << c.archive << " " << path << "\n" << log;
    }
    ASSERT_EQ(Extract(Data("rarfile/rar5-vols.part1.rar"), root_ / "vols"), 0);
    EXPECT_EQ(ReadAll(root_ / "vols/vols/bigfile.txt").size(), 205000u);
    EXPECT_EQ(ReadAll(root_ / "vols/vols/smallfile.txt").size(), 2050u);
}

// RAR 5.0's, 2.9's, 2.0's and 1.5's LZ decode, solid streams too; a method known nowhere here,
// and encrypted entries, are refused and nothing is written for them.
TEST_F(Unrar32, CompressedAndEncryptedEntriesAreRefusedAndNeverWritten) {
    struct Case {
        const char* archive;
        int32_t code;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"rarfile/rar5-crc.rar", 0, {"stest1.txt", "stest2.txt"}},
        {"rarfile/rar5-solid.rar", 0, {"stest1.txt", "stest2.txt"}},
        {"rarfile/rar15-comment.rar", 0, {"FILE1.TXT", "FILE2.TXT"}},
        {"store/unknown-method.rar", result::kMethod, {"FILE2.TXT"}},
        {"rarfile/rar3-solid.rar", 0, {"stest1.txt", "stest2.txt"}},
        {"rarfile/rar5-psw.rar", result::kPasswordFile, {}},
        {"rarfile/rar3-comment-psw.rar", result::kPasswordFile, {}},
        {"libarchive/test_read_format_rar4_encrypted.rar",
         result::kPasswordFile,
         {"a.txt", "c.txt"}},
        {"rarfile/rar5-hpsw.rar", result::kPasswordFile, {}},
        {"rarfile/rar3-comment-hpsw.rar", result::kPasswordFile, {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        fs::path dest = root_ / std::to_string(n++);
        std::string log;
        EXPECT_EQ(Extract(Data(c.archive), dest, "-x", "", "*.*", &log), c.code)
            << c.archive << log;
        std::vector<std::string> got;
        for (const auto& [path, content] : Files(ReadTree(dest))) got.push_back(path);
        EXPECT_EQ(got, c.written) << c.archive;
    }
}

// A solid stream comes out whole, or file by file as names or -u select: the files before a
// selected one are decoded and dropped, each checked by its CRC-32 on the way.
TEST_F(Unrar32, SolidStreamsComeOutWholeOrOneFileAtATime) {
    const std::string solid5 = "libarchive/test_read_format_rar5_multiple_files_solid.rar";
    struct Case {
        std::string archive, switches, tail;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"rarfile/rar5-solid.rar", "", "*.*", {"stest1.txt", "stest2.txt"}},
        {"rarfile/rar5-solid.rar", "", "stest2.txt", {"stest2.txt"}},
        {solid5, "", "test3.bin", {"test3.bin"}},
        {solid5, "", "test4.bin test1.bin", {"test1.bin", "test4.bin"}},
        {"libarchive/test_read_format_rar5_solid.rar", "", "test6.bin", {"test6.bin"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        fs::path dest = root_ / ("solid" + std::to_string(n++));
        std::string log;
        EXPECT_EQ(Extract(Data(c.archive), dest, "-e", c.switches, c.tail, &log), 0)
            << c.archive << " " << c.tail << "\n"
            << log;
        std::vector<std::string> got;
        for (const auto& [path, content] : Files(ReadTree(dest))) got.push_back(path);
        EXPECT_EQ(got, c.written) << c.archive << " " << c.tail;
    }
    // A later file on disk is kept, and the one after it still comes out right.
    WriteAll(root_ / "u/stest1.txt", "mine");
    ASSERT_EQ(Extract(Data("rarfile/rar5-solid.rar"), root_ / "u", "-e", "-u"), 0);
    EXPECT_EQ(ReadAll(root_ / "u/stest1.txt"), "mine");
    EXPECT_EQ(ReadAll(root_ / "u/stest2.txt"), ReadAll(root_ / "solid0/stest2.txt"));
    EXPECT_EQ(ReadAll(root_ / "solid0/stest2.txt").size(), 2048u);
    for (const std::string& archive : {std::string("rarfile/rar5-solid.rar"), solid5}) {
        EXPECT_EQ(Extract(Data(archive), root_ / "t", "-t"), 0) << archive;
        EXPECT_EQ(Check(Data(archive), 2), 1) << archive;
    }
}

TEST_F(Unrar32, NamesPatternsAndListFilesSelect) {
    WriteAll(root_ / "list.txt", "\"text.txt\"\r\n\"sub/deep/*\"\r\n\r\n");
    struct Case {
        std::string tail;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"text.txt", {"text.txt"}},
        {"*.bin", {"noise.bin"}},
        {"\"" + std::string("日本語.txt") + "\"", {"日本語.txt"}},
        {"\"@" + (root_ / "list.txt").string() + "\"", {"sub/deep/nested.txt", "text.txt"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        fs::path dest = root_ / std::to_string(n++);
        ASSERT_EQ(Extract(Data("store/store5.rar"), dest, "-x", "", c.tail), 0) << c.tail;
        std::vector<std::string> got;
        for (const auto& [path, content] : Files(ReadTree(dest))) got.push_back(path);
        EXPECT_EQ(got, c.want) << c.tail;
    }
    EXPECT_EQ(Extract(Data("store/store5.rar"), root_ / "none", "-x", "", "missing.txt"),
              result::kFileNotFound);
}

TEST_F(Unrar32, TheControlsSwitchesAreTakenAndOthersRefused) {
    for (const char* switches : {"-u", "-y", "-i", "-u -y"})
        EXPECT_EQ(Extract(Data("store/store4.rar"), root_ / "s", "-x", switches), 0) << switches;
    EXPECT_EQ(Extract(Data("store/store4.rar"), root_ / "bad", "-x", "-o"), result::kBadCommand);
    EXPECT_EQ(Extract(Data("store/store4.rar"), root_ / "bad", "-x -e"), result::kBadCommand);
    EXPECT_EQ(Extract(Data("store/store4.rar"), root_ / "bad", ""), result::kBadCommand);
    EXPECT_FALSE(fs::exists(root_ / "bad"));
}

TEST_F(Unrar32, OnlyNewerKeepsALaterFileAndFillsInMissingOnes) {
    WriteAll(root_ / "u/text.txt", "mine");  // written now: later than the stored 2021 time
    ASSERT_EQ(Extract(Data("store/store5.rar"), root_ / "u", "-x", "-u"), 0);
    EXPECT_EQ(ReadAll(root_ / "u/text.txt"), "mine");
    EXPECT_EQ(ReadAll(root_ / "u/noise.bin"), ReadAll(Data("store/files/noise.bin")));
}

TEST_F(Unrar32, CheckGoesAsDeepAsItsModeSays) {
    WriteAll(root_ / "not.rar", "not an archive at all");
    struct Case {
        fs::path archive;
        int mode0, mode1, mode2;
    };
    const Case cases[] = {
        {Data("store/store5.rar"), 1, 1, 1},
        {Data("rarfile/rar5-blake.rar"), 1, 1, 1},
        {Data("rarfile/rar5-crc.sfx"), 1, 1, 1},
        {Data("rarfile/seektest.rar"), 1, 1, 1},
        {Data("rarfile/rar15-comment.rar"), 1, 1, 1},
        {Data("store/unknown-method.rar"), 1, 1, 0},  // a method no decoder here knows
        {Data("libarchive/test_read_format_rar5_bad_tables.rar"), 1, 0, 0},
        {Data("rarfile/rar5-hpsw.rar"), 0, 0, 0},
        {root_ / "not.rar", 0, 0, 0},
        {root_ / "missing.rar", 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Check(c.archive, 0), c.mode0) << c.archive;
        EXPECT_EQ(Check(c.archive, 1), c.mode1) << c.archive;
        EXPECT_EQ(Check(c.archive, 2), c.mode2) << c.archive;
    }
    EXPECT_GE(lib_.Get<QvGetVersion16Fn>("UnrarGetVersion")(), 100);
    EXPECT_EQ(lib_.Get<QvGetRunningFn>("UnrarGetRunning")(), 0);
}

// The records the enumerated listing formats: sizes, ratio, check value, method and attribute
// texts, host, DOS date and time.
TEST_F(Unrar32, ListingRecordsDescribeEachEntry) {
    auto store4 = List(Data("store/store4.rar"));
    ASSERT_EQ(store4.size(), 5u);
    const QvEntryInfo& noise = store4["noise.bin"];
    EXPECT_EQ(noise.original_size, 150000u);
    EXPECT_EQ(noise.compressed_size, 150000u);
    EXPECT_STREQ(noise.method, "m0");
    EXPECT_EQ(noise.os_type, 18u);  // Windows, as rarstore says
    EXPECT_EQ(noise.dos_date, ((2021 - 1980) << 9) | (6 << 5) | 15);
    EXPECT_EQ(noise.dos_time, (12 << 11) | (34 << 5) | (56 / 2));
    EXPECT_STREQ(noise.attribute, "a--w");

    auto crc = List(Data("rarfile/rar5-crc.rar"));
    const QvEntryInfo& packed = crc["stest1.txt"];
    EXPECT_EQ(packed.original_size, 2048u);
    EXPECT_EQ(packed.compressed_size, 55u);
    EXPECT_EQ(packed.crc, 0xc5b7e6a2u);
    EXPECT_STREQ(packed.method, "m3");
    EXPECT_EQ(packed.os_type, 2u);

    auto win = List(Data("rarfile/rar3-readonly-win.rar"));
    EXPECT_STREQ(win["ro_dir/ro_file.txt"].attribute, "a---");
    auto folders = List(Data("rarfile/rar5-subdirs.rar"));
    EXPECT_EQ(folders.size(), 10u);
    EXPECT_EQ(folders.count("sub/empty/"), 1u);
    EXPECT_TRUE(List(Data("rarfile/rar5-hpsw.rar")).empty());
}

// RAR 3.x files whose first block is PPMd say so, LZ ones their -m level; a RAR 5 file version
// is part of the name.
TEST_F(Unrar32, ListingTellsPpmdAndFileVersions) {
    struct Case {
        const char* archive;
        const char* name;
        const char* method;
    };
    const Case cases[] = {
        {"libarchive/test_read_format_rar_compress_best.rar", "testdir/test.txt", "PPMd"},
        {"libarchive/test_read_format_rar_compress_normal.rar", "testdir/test.txt", "m3"},
        {"libarchive/test_read_format_rar_multivolume.part0001.rar",
         "ppmd_lzss_conversion_test.txt", "PPMd"},
        {"rarfile/seektest.rar", "stest1.txt", "m5"},
        {"rarfile/rar3-solid.rar", "stest2.txt", "m3"},  // a continuation is not peeked at
        {"rarfile/rar5-versions.rar", "versioned.txt;1", "m0"},
    };
    for (const Case& c : cases) {
        auto listed = List(Data(c.archive));
        ASSERT_EQ(listed.count(c.name), 1u) << c.archive << " " << c.name;
        EXPECT_STREQ(listed[c.name].method, c.method) << c.archive << " " << c.name;
    }
}

}  // namespace
}  // namespace quorvex6::testing
