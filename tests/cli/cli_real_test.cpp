// The built program against our real archiver libraries: every kind whose libraries are
// built packs a folder, lists it in all three formats, and extracts it to an identical tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

std::vector<std::string> RealKinds() {
    std::vector<std::string> kinds;
    std::istringstream list(QV_REAL_KINDS);
    for (std::string kind; std::getline(list, kind, ',');) kinds.push_back(kind);
    return kinds;
}

std::string ArchiveName(const std::string& kind) {
    if (kind == "lha") return "sample.lzh";
    if (kind == "tar") return "sample.tar.gz";
    return "sample." + kind;
}

// ARJ and RAR archives are packed by a program, which runs on after the control has returned.
void AwaitArchive(const std::string& kind, const std::filesystem::path& archive) {
    if (kind != "arj" && kind != "rar") return;
    std::error_code error;
    uintmax_t last = 0;
    for (int i = 0; i < 40; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const uintmax_t size = std::filesystem::file_size(archive, error);
        if (!error && size > 0 && size == last) return;
        last = error ? 0 : size;
    }
}

class CliRealKind : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        work.Write("sample/readme.txt", "Quorvex6\nline two\n");
        std::string numbers;
        for (int i = 0; i < 4000; ++i) numbers += std::to_string(i) + "\n";
        work.Write("sample/nested/numbers.txt", numbers);
        std::string bytes;
        for (int i = 0; i < 512; ++i) bytes.push_back(static_cast<char>(i * 37 + 11));
        work.Write("sample/nested/deeper/bytes.bin", bytes);
        work.Write("sample/日本語.txt", "こんにちは\n");
        work.Write("sample/empty.txt", "");
    }
    TempDir work;
};

TEST_P(CliRealKind, PacksListsAndExtractsTheSameTree) {
    const std::string archive = ArchiveName(GetParam());
    const CliResult pack = RunCli({"pack", archive, "--base", "sample", "--quiet"}, work.path());
    ASSERT_EQ(pack.status, 0) << pack.err;
    AwaitArchive(GetParam(), work.path() / archive);
    ASSERT_TRUE(std::filesystem::exists(work.path() / archive));

    const CliResult csv = RunCli({"list", archive, "--format", "csv"}, work.path());
    ASSERT_EQ(csv.status, 0) << csv.err;
    for (const std::string name :
         {"readme.txt", "numbers.txt", "bytes.bin", "日本語.txt", "empty.txt"}) {
        EXPECT_NE(csv.out.find("\n" + name + ","), std::string::npos) << name << "\n" << csv.out;
    }
    const CliResult json = RunCli({"list", archive, "--format", "json"}, work.path());
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"FileName\": \"日本語.txt\""), std::string::npos) << json.out;
    const CliResult table = RunCli({"list", archive}, work.path());
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find(" entries\n"), std::string::npos) << table.out;

    const CliResult extract = RunCli({"extract", archive, "--to", "out", "--quiet"}, work.path());
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(TreeOf(work.path() / "out"), TreeOf(work.path() / "sample"));

    // Extracting one name gives that file alone.
    const CliResult one =
        RunCli({"extract", archive, "nested/numbers.txt", "--to", "one", "--quiet"}, work.path());
    ASSERT_EQ(one.status, 0) << one.err;
    const auto tree = TreeOf(work.path() / "one");
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].first, "nested/");
    const auto original = TreeOf(work.path() / "sample");
    EXPECT_NE(std::find(original.begin(), original.end(), tree[1]), original.end())
        << tree[1].first;
}

TEST_P(CliRealKind, ABrokenArchiveIsAnErrorOfTheControl) {
    const std::string archive = ArchiveName(GetParam());
    work.Write(archive, "this is not an archive of any kind, only text");
    const CliResult list = RunCli({"list", archive}, work.path());
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.out, "");
    EXPECT_TRUE(list.err.starts_with("quorvex: ")) << list.err;
    EXPECT_NE(list.err.find("quorvex: error "), std::string::npos) << list.err;
    const CliResult extract = RunCli({"extract", archive, "--to", "out"}, work.path());
    EXPECT_EQ(extract.status, 1);
}

TEST_P(CliRealKind, ANameThatIsNotStoredIsReportedAndTheRestExtracted) {
    const std::string archive = ArchiveName(GetParam());
    ASSERT_EQ(RunCli({"pack", archive, "--base", "sample", "--quiet"}, work.path()).status, 0);
    AwaitArchive(GetParam(), work.path() / archive);
    const CliResult extract =
        RunCli({"extract", archive, "readme.txt", "not-stored.txt", "--to", "out", "--quiet"},
               work.path());
    EXPECT_EQ(extract.status, 1);
    EXPECT_NE(extract.err.find("quorvex: error 32817: "), std::string::npos) << extract.err;
    // The library's own line names the entry; the error line alone would not.
    EXPECT_NE(extract.err.find("not-stored.txt\n"), std::string::npos) << extract.err;
    EXPECT_TRUE(std::filesystem::exists(work.path() / "out" / "readme.txt"));
}

TEST_P(CliRealKind, AFileSizeLimitIsAWriteErrorAndNotTheProgramsEnd) {
    if (GetParam() == "arj" || GetParam() == "rar")
        GTEST_SKIP() << "the " << GetParam() << " program writes on its own";
    const std::string archive = ArchiveName(GetParam());
    std::string noise;
    uint32_t state = 12345;
    for (int i = 0; i < (1 << 20); ++i) {
        state = state * 1103515245 + 12345;
        noise.push_back(static_cast<char>(state >> 24));
    }
    work.Write("big/noise.bin", noise);
    constexpr int kLimit = 128;  // blocks of 512 bytes: 64 KiB
    const CliResult pack =
        RunCli({"pack", archive, "--base", "big", "--quiet"}, work.path(), "", {}, kLimit);
    EXPECT_EQ(pack.status, 1) << pack.err;
    EXPECT_NE(pack.err.find("quorvex: error 32787: "), std::string::npos) << pack.err;

    std::filesystem::remove(work.path() / archive);
    ASSERT_EQ(RunCli({"pack", archive, "--base", "big", "--quiet"}, work.path()).status, 0);
    const CliResult extract =
        RunCli({"extract", archive, "--to", "out", "--quiet"}, work.path(), "", {}, kLimit);
    EXPECT_EQ(extract.status, 1) << extract.err;
    EXPECT_NE(extract.err.find("quorvex: error 32787: "), std::string::npos) << extract.err;
}

TEST_P(CliRealKind, SfxEitherWritesAProgramOrSaysWhyNot) {
    const std::string archive = ArchiveName(GetParam());
    ASSERT_EQ(
        RunCli({"pack", archive, "readme.txt", "--base", "sample", "--quiet"}, work.path()).status,
        0);
    AwaitArchive(GetParam(), work.path() / archive);
    work.Folder("bin");
    const CliResult sfx = RunCli({"sfx", archive, "--to", "bin"}, work.path());
    if (sfx.status == 0) {
        EXPECT_FALSE(std::filesystem::is_empty(work.path() / "bin"));
    } else {
        EXPECT_EQ(sfx.status, 1);
        EXPECT_NE(sfx.err.find("quorvex: error "), std::string::npos) << sfx.err;
        EXPECT_TRUE(std::filesystem::is_empty(work.path() / "bin"));
    }
}

TEST(CliReal, VersionReportsEveryBuiltLibrary) {
    TempDir work;
    for (const std::string& kind : RealKinds()) {
        const CliResult run = RunCli({"version", "--kind", kind}, work.path());
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.find(kind + " Version 0\n"), std::string::npos) << run.out << run.err;
        EXPECT_NE(run.out.find(kind + " Running False\n"), std::string::npos) << run.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Built, CliRealKind, ::testing::ValuesIn(RealKinds()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace quorvex6::testing
