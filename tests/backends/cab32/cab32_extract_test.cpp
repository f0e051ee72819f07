// cab32 extracting cabinets made by Microsoft's tools, compared with cabextract's output, and
// refusing damaged, crafted and hostile ones.
#include "backends/cab/cabinet_maker.h"
#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

class CabExtract : public ScratchTest {
  protected:
    int32_t Extract(const fs::path& archive, const std::string& opts = "-x -i",
                    const std::string& names = "*.*") {
        log_.clear();
        return cab_.Command(
            "Cab", opts + " " + Quote(archive) + " " + QuoteFolder(dest()) + " " + names, &log_);
    }
    // What cabextract makes of the cabinet, even when it fails halfway.
    std::map<std::string, std::string> Reference(const fs::path& archive) {
        fs::path out = root_ / "reference";
        fs::remove_all(out);
        fs::create_directories(out);
        RunTool("cabextract -q -d " + Quote(out) + " " + Quote(archive));
        return ReadTree(out);
    }
    void SetUp() override {
        ScratchTest::SetUp();
        if (RunTool("cabextract --version") != 0) GTEST_SKIP() << "cabextract is not installed";
    }
    fs::path dest() const { return root_ / "dest"; }
    BackendLibrary cab_{"cab32"};
    std::string log_;
};

TEST_F(CabExtract, MakecabsCabinetsExtractAsCabextractDoes) {
    const char* cabinets[] = {
        "libarchive/test_read_format_cab_1.cab",
        "libarchive/test_read_format_cab_2.cab",
        "libarchive/test_read_format_cab_3.cab",
        "libarchive/test_read_format_cab_lzx_16bit.cab",
        "libarchive/test_read_format_cab_lzx_literal_control.cab",
        "libarchive/test_fuzz.cab",
        "libmspack/normal_2files_1folder.cab",
        "libmspack/normal_2files_2folders.cab",
        "libmspack/normal_255c_filename.cab",
        "libmspack/reserve_---.cab",
        "libmspack/reserve_--D.cab",
        "libmspack/reserve_-F-.cab",
        "libmspack/reserve_-FD.cab",
        "libmspack/reserve_H--.cab",
        "libmspack/reserve_H-D.cab",
        "libmspack/reserve_HF-.cab",
        "libmspack/reserve_HFD.cab",
    };
    for (const char* name : cabinets) {
        fs::path archive = TestData(std::string("cab/") + name);
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << name << ": " << log_;
        auto expected = Reference(archive);
        EXPECT_FALSE(expected.empty()) << name;
        EXPECT_EQ(ReadTree(dest()), expected) << name;
    }
}

// A cabinet of one folder per method comes out whole, each folder through its own decoder.
TEST_F(CabExtract, MixedCabinetsExtractEveryFolder) {
    for (const char* cabinet :
         {"libmspack/mszip_lzx_qtm.cab", "libmspack/normal_2files_2folders.cab"}) {
        fs::path archive = TestData(std::string("cab/") + cabinet);
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << cabinet << ": " << log_;
        EXPECT_EQ(ReadTree(dest()), Reference(archive)) << cabinet;
    }
}

// Every damaged or crafted cabinet gives a code; what is left is only files cabextract also
// extracts whole, never a piece of one.
TEST_F(CabExtract, DamagedCabinetsAreRefusedCleanly) {
    int seen = 0;
    for (const auto& item : fs::directory_iterator(TestData("cab/libmspack"))) {
        std::string name = item.path().filename().string();
        bool damaged = name.rfind("bad_", 0) == 0 || name.rfind("cve-", 0) == 0 ||
                       name.rfind("partial_", 0) == 0 ||
                       name.rfind("filename-read-violation-", 0) == 0;
        if (!damaged) continue;
        ++seen;
        fs::remove_all(dest());
        EXPECT_NE(Extract(item.path()), 0) << name;
        auto reference = Reference(item.path());
        for (const auto& [path, content] : ReadTree(dest())) {
            ASSERT_TRUE(reference.count(path)) << name << ": " << path;
            EXPECT_EQ(content, reference[path]) << name << ": " << path;
        }
    }
    EXPECT_EQ(seen, 33);
}

// Crafted LZX streams: a main tree without lengths, matches before any data, a match reaching
// before the stream. Each gives the code of broken data and leaves no piece of a file.
TEST_F(CabExtract, CraftedLzxStreamsAreBrokenData) {
    const char* cabinets[] = {
        "libmspack/lzx-main-tree-no-lengths.cab",
        "libmspack/lzx-premature-matches.cab",
        "libarchive/test_read_format_cab_lzx_invalid_history.cab",
    };
    for (const char* name : cabinets) {
        fs::remove_all(dest());
        EXPECT_EQ(Extract(TestData(std::string("cab/") + name)), result::kBrokenData)
            << name << ": " << log_;
        EXPECT_TRUE(ReadTree(dest()).empty()) << name;
    }
}

TEST_F(CabExtract, HostileNamesStayInTheDestination) {
    fs::path archive = root_ / "hostile.cab";
    WriteAll(archive, MakeCabinet({{"..\\up.txt", "up"},
                                   {"\\absolute.txt", "abs"},
                                   {"C:\\drive.txt", "drive"},
                                   {"sub\\..\\..\\up2.txt", "up2"},
                                   {"sub\\fine.txt", "fine"}}));
    EXPECT_EQ(Extract(archive), result::kAccessDenied) << log_;
    EXPECT_EQ(ReadTree(dest()),
              (std::map<std::string, std::string>{{"sub", "<folder>"}, {"sub/fine.txt", "fine"}}));
    EXPECT_FALSE(fs::exists(root_ / "up.txt"));
    EXPECT_FALSE(fs::exists(root_ / "up2.txt"));
    EXPECT_FALSE(fs::exists("/absolute.txt"));
}

TEST_F(CabExtract, SwitchesNamesAndTimes) {
    fs::path archive = root_ / "a.cab";
    WriteAll(archive, MakeCabinet({{"dir\\a.txt", "new a"},
                                   {"dir\\b.txt", "b"},
                                   {"\xE6\x97\xA5.txt", "utf8", 0xA0},
                                   {"\x93\xfa\x96\x7b.txt", "sjis"}}));
    struct Case {
        const char* name;
        std::string opts, names;
        std::map<std::string, std::string> files;
    };
    const Case cases[] = {
        {"all",
         "-x -i",
         "*.*",
         {{"dir", "<folder>"},
          {"dir/a.txt", "new a"},
          {"dir/b.txt", "b"},
          {"\xE6\x97\xA5.txt", "utf8"},
          {"\xE6\x97\xA5\xE6\x9C\xAC.txt", "sjis"}}},
        {"junk paths", "-x -j -i", "dir\\b.txt", {{"b.txt", "b"}}},
        {"named", "-x -i", "dir\\a.txt", {{"dir", "<folder>"}, {"dir/a.txt", "new a"}}},
    };
    for (const Case& c : cases) {
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive, c.opts, c.names), 0) << c.name << ": " << log_;
        EXPECT_EQ(ReadTree(dest()), c.files) << c.name;
    }
    auto mtime = fs::last_write_time(dest() / "dir/a.txt");
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(
                  std::chrono::file_clock::to_sys(mtime).time_since_epoch())
                  .count(),
              1623760496);  // 2021-06-15 12:34:56 UTC

    // Only newer: a file on disk later than the stored one stays.
    WriteAll(dest() / "dir/a.txt", "kept");
    EXPECT_EQ(Extract(archive, "-x -n -i", "dir\\a.txt"), 0) << log_;
    EXPECT_EQ(ReadAll(dest() / "dir/a.txt"), "kept");
}

TEST_F(CabExtract, ABadChecksumLeavesNoFile) {
    fs::path archive = root_ / "bad.cab";
    WriteAll(archive, MakeCabinet({{"a.txt", "hello"}}, 0xDEADBEEF));
    EXPECT_EQ(Extract(archive), result::kCrcMismatch) << log_;
    EXPECT_TRUE(ReadTree(dest()).empty());
}

}  // namespace
}  // namespace quorvex6::testing
