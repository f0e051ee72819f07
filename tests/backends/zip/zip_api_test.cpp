// unzip32's listing calls as the control uses them, and ZIP64.
#include <sstream>

#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

class UnzipApi : public ScratchTest {
  protected:
    BackendLibrary zip_{"zip32j"}, unzip_{"unzip32"};
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(UnzipApi, VersionsAndIdleFlags) {
    EXPECT_GE(unzip_.Get<QvGetVersion16Fn>("UnZipGetVersion")(), 100);
    EXPECT_GE(zip_.Get<QvGetVersion16Fn>("ZipGetVersion")(), 100);
    EXPECT_EQ(unzip_.Get<QvGetRunningFn>("UnZipGetRunning")(), 0);
    EXPECT_EQ(zip_.Get<QvGetRunningFn>("ZipGetRunning")(), 0);
}

TEST_F(UnzipApi, EnumerationRecords) {
    auto open = unzip_.Get<QvOpenArchiveFn>("UnZipOpenArchive");
    auto first = unzip_.Get<QvFindFirstFn>("UnZipFindFirst");
    auto next = unzip_.Get<QvFindNextFn>("UnZipFindNext");
    auto close = unzip_.Get<QvCloseArchiveFn>("UnZipCloseArchive");
    QvArchive h = open(0, TestData("zip/tree-infozip.zip").c_str(), 0);
    ASSERT_NE(h, 0u);
    alignas(4) char buffer[QV_ENTRY_BUFFER_SIZE];
    auto* info = reinterpret_cast<QvEntryInfo*>(buffer);
    std::map<std::string, QvEntryInfo> seen;
    for (int32_t rc = first(h, "*.*", info); rc == 0; rc = next(h, info)) seen[info->name] = *info;
    EXPECT_NE(next(h, info), 0);
    EXPECT_EQ(close(h), 0);
    EXPECT_NE(close(h), 0);
    ASSERT_TRUE(seen.count("sub/numbers.txt"));
    const QvEntryInfo& numbers = seen["sub/numbers.txt"];
    EXPECT_EQ(numbers.original_size, fs::file_size(TestData("zip/files/sub/numbers.txt")));
    EXPECT_LT(numbers.compressed_size, numbers.original_size);
    EXPECT_EQ(numbers.ratio_per_mille, numbers.compressed_size * 1000 / numbers.original_size);
    EXPECT_STREQ(numbers.method, "Defla");
    EXPECT_STREQ(numbers.attribute, "a--w");
    EXPECT_EQ(numbers.os_type, 2u);
    EXPECT_EQ(numbers.dos_date, (41 << 9) | (6 << 5) | 15);  // 2021-06-15, TZ=UTC
    EXPECT_EQ(numbers.dos_time, (12 << 11) | (34 << 5) | 28);
    EXPECT_STREQ(seen["empty-folder/"].attribute, "d--w");
    EXPECT_TRUE(seen.count("日本語.txt"));
    EXPECT_EQ(seen["empty.txt"].ratio_per_mille, 0);
    EXPECT_EQ(open(0, TestData("zip/truncated.zip").c_str(), 0), 0u);
    EXPECT_EQ(first(12345, "*.*", info), result::kNotOpened);
}

TEST_F(UnzipApi, CheckArchiveModes) {
    auto check = unzip_.Get<QvCheckArchiveFn>("UnZipCheckArchive");
    EXPECT_NE(check(TestData("zip/tree-7zip.zip").c_str(), 0), 0);
    EXPECT_NE(check(TestData("zip/badcrc.zip").c_str(), 0), 0);  // headers are fine
    EXPECT_EQ(check(TestData("zip/badcrc.zip").c_str(), 2), 0);  // the data is not
    EXPECT_EQ(check(TestData("zip/truncated.zip").c_str(), 0), 0);
    EXPECT_EQ(check(TestData("tar/tree-pax-gnutar.tar").c_str(), 0), 0);
}

TEST_F(UnzipApi, TextListingAsTheTextListerReadsIt) {
    // The name comes unquoted, blanks and all.
    fs::path copy = root_ / "a name with blanks.zip";
    fs::copy_file(TestData("zip/tree-infozip.zip"), copy);
    std::string text;
    ASSERT_EQ(unzip_.Command("UnZip", "-l " + copy.string(), &text), 0);
    std::vector<std::string> lines = Lines(text);
    ASSERT_GE(lines.size(), 4u);
    size_t entries = 0;
    for (size_t i = 2; i < lines.size() && lines[i].rfind("--------------", 0) != 0;
         ++i, ++entries) {
        std::vector<std::string> columns;
        std::string line = lines[i];
        for (int k = 0; k < 8; ++k) {
            size_t space = line.rfind(' ');
            ASSERT_NE(space, std::string::npos) << lines[i];
            columns.insert(columns.begin(), line.substr(space + 1));
            line = line.substr(0, space);
        }
        EXPECT_FALSE(line.empty());
        EXPECT_EQ(columns[2].back(), '%') << lines[i];
        EXPECT_EQ(columns[3].size(), 8u) << lines[i];  // yy/mm/dd
        EXPECT_EQ(columns[4].size(), 8u) << lines[i];  // hh:mm:ss
        EXPECT_EQ(columns[5].size(), 4u) << lines[i];
        EXPECT_EQ(columns[7].size(), 8u) << lines[i];
        if (line == "with space.txt") {
            EXPECT_EQ(columns[0], "6");
        }
    }
    EXPECT_EQ(entries, 16u);
    ASSERT_LT(entries + 2, lines.size());
    EXPECT_EQ(lines[entries + 2].rfind("--------------", 0), 0u);
    // A small buffer cuts the text and still ends it.
    std::vector<char> small(40, 'x');
    EXPECT_EQ(
        unzip_.Get<QvCommandFn>("UnZip")(0, ("-l " + copy.string()).c_str(), small.data(), 40), 0);
    EXPECT_EQ(small[39], '\0');
}

// A 4 GiB + 1 MiB sparse file needs ZIP64 sizes; deflate makes it small on disk.
TEST_F(UnzipApi, Zip64ForEntriesOverFourGiB) {
    fs::path base = root_ / "base";
    fs::create_directories(base);
    { std::ofstream(base / "huge.bin").put('\0'); }
    fs::resize_file(base / "huge.bin", (4ull << 30) + (1 << 20));
    WriteAll(base / "after.txt", "after\n");
    fs::path archive = root_ / "huge.zip";
    std::string log;
    ASSERT_EQ(
        zip_.Command("Zip",
                     "-q -1 " + Quote(archive) + " " + QuoteFolder(base) + " huge.bin after.txt",
                     &log),
        0)
        << log;
    EXPECT_LT(fs::file_size(archive), 64u << 20);
    std::string text;
    ASSERT_EQ(unzip_.Command("UnZip", "-l " + archive.string(), &text), 0);
    EXPECT_NE(text.find("huge.bin 4296015872 "), std::string::npos) << text;
    EXPECT_EQ(RunTool("unzip -l " + Quote(archive) + " | grep -q 4296015872"), 0);
    EXPECT_EQ(unzip_.Command("UnZip", "-t " + Quote(archive)), 0);
    // 7zz checks every byte in seconds; unzip needs four times as long for the 4 GiB, so it
    // checks the ZIP64 records and the entry behind the big one only.
    EXPECT_EQ(RunTool("7zz t " + Quote(archive)), 0);
    EXPECT_EQ(RunTool("unzip -tq " + Quote(archive) + " after.txt"), 0);
    fs::path out = root_ / "out";
    EXPECT_EQ(
        unzip_.Command("UnZip", "-x --i " + Quote(archive) + " " + QuoteFolder(out) + " after.txt"),
        0);
    EXPECT_EQ(ReadAll(out / "after.txt"), "after\n");
}

// More entries than the end record's 16-bit counts hold: the count lives in the ZIP64 end
// record, and the classic one says 0xFFFF. Hard links to an empty file per folder (a file takes
// only so many) make the names cheaply.
TEST_F(UnzipApi, Zip64ForMoreThan65535Entries) {
    constexpr int kFolders = 10, kPerFolder = 6600;  // 66,000 files and 10 folders
    fs::path base = root_ / "base";
    for (int f = 0; f < kFolders; ++f) {
        fs::path folder = base / ("f" + std::to_string(f));
        fs::path empty = root_ / ("empty" + std::to_string(f));
        WriteAll(empty, "");
        fs::create_directories(folder);
        for (int i = 0; i < kPerFolder; ++i)
            fs::create_hard_link(empty, folder / std::to_string(i));
    }
    fs::path archive = root_ / "many.zip";
    ASSERT_EQ(zip_.Command("Zip", "-q -r " + Quote(archive) + " " + QuoteFolder(base) + " *.*"), 0);
    const uint64_t entries = kFolders * (kPerFolder + 1);
    std::string bytes = ReadAll(archive);
    ASSERT_GT(bytes.size(), 22u);
    EXPECT_EQ(bytes.substr(bytes.size() - 22, 4), std::string("PK\5\6"));
    EXPECT_EQ(bytes.substr(bytes.size() - 14, 4),
              std::string("\xff\xff\xff\xff"));  // entries on this disk, in all
    EXPECT_NE(bytes.rfind(std::string("PK\6\6")), std::string::npos);
    EXPECT_EQ(RunTool("unzip -tq " + Quote(archive)), 0);
    EXPECT_EQ(RunTool("7zz t " + Quote(archive)), 0);
    EXPECT_EQ(
        RunTool("unzip -Z1 " + Quote(archive) + " | wc -l | grep -qx " + std::to_string(entries)),
        0);
    EXPECT_EQ(unzip_.Command("UnZip", "-t " + Quote(archive)), 0);
    QvArchive h = unzip_.Get<QvOpenArchiveFn>("UnZipOpenArchive")(0, archive.c_str(), 0);
    ASSERT_NE(h, 0u);
    alignas(4) char buffer[QV_ENTRY_BUFFER_SIZE];
    auto* info = reinterpret_cast<QvEntryInfo*>(buffer);
    auto next = unzip_.Get<QvFindNextFn>("UnZipFindNext");
    uint64_t listed = 0;
    for (int32_t rc = unzip_.Get<QvFindFirstFn>("UnZipFindFirst")(h, "*.*", info); rc == 0;
         rc = next(h, info))
        ++listed;
    EXPECT_EQ(unzip_.Get<QvCloseArchiveFn>("UnZipCloseArchive")(h), 0);
    EXPECT_EQ(listed, entries);
}

}  // namespace
}  // namespace quorvex6::testing
