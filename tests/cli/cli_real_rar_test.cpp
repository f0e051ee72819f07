// The built program against the real unrar32: RAR archives of both generations listed through
// the control's enumerated listing and extracted through Extract, by their suffix.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;

TEST(CliRealRar, ListsAndExtractsStoredArchivesOfBothGenerations) {
    for (const char* name : {"store4.rar", "store5.rar"}) {
        SCOPED_TRACE(name);
        TempDir work;
        fs::copy_file(fs::path(QV_RAR_DATA) / "store" / name, work.path() / name);
        const CliResult csv = RunCli({"list", name, "--format", "csv"}, work.path());
        ASSERT_EQ(csv.status, 0) << csv.err;
        EXPECT_NE(csv.out.find("\nnoise.bin,,\"150,000\",\"150,000\","), std::string::npos)
            << csv.out;
        EXPECT_NE(csv.out.find(",m0,"), std::string::npos) << csv.out;
        const CliResult extract = RunCli({"extract", name, "--to", "out", "--quiet"}, work.path());
        ASSERT_EQ(extract.status, 0) << extract.err;
        EXPECT_EQ(TreeOf(work.path() / "out"), TreeOf(fs::path(QV_RAR_DATA) / "store/files"));
    }
}

TEST(CliRealRar, AnEncryptedArchiveIsAnErrorOfTheControl) {
    TempDir work;
    fs::copy_file(fs::path(QV_RAR_DATA) / "rarfile/rar5-hpsw.rar", work.path() / "hpsw.rar");
    const CliResult list = RunCli({"list", "hpsw.rar"}, work.path());
    EXPECT_EQ(list.status, 1);
    EXPECT_NE(list.err.find("quorvex: error "), std::string::npos) << list.err;
}

}  // namespace
}  // namespace quorvex6::testing
