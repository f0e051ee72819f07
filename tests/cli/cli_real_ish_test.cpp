// The built program against the real ish32: the control's own ISH listing of every reference
// text, and a file encoded, listed and restored through Pack, OpenFile and Extract.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;

fs::path Vector(const std::string& relative) { return fs::path(QV_ISH_DATA) / relative; }

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CliRealIsh, ListsEveryReferenceTextAsTheControlReadsIt) {
    TempDir work;
    struct Input {
        const char* name;
        const char* size;  // as the control formats it
    };
    const Input inputs[] = {{"e0.bin", ""},
                            {"e1.bin", "1"},
                            {"t100.txt", "100"},
                            {"r5000.bin", "\"5,000\""},
                            {"README.TXT", "27"}};
    const std::pair<const char*, const char*> variants[] = {
        {"jis7", "jis7"}, {"jis8", "jis8"}, {"sjis", "shift_jis"}, {"njis", "non-kana"}};
    for (const auto& [folder, type] : variants) {
        for (const Input& input : inputs) {
            const std::string base =
                std::string(input.name).substr(0, std::string(input.name).rfind('.'));
            const fs::path text = Vector(std::string(folder) + "/" + base + ".ish");
            SCOPED_TRACE(text.string());
            const CliResult csv = RunCli({"list", text.string(), "--format", "csv"}, work.path());
            ASSERT_EQ(csv.status, 0) << csv.err;
            EXPECT_EQ(csv.out, "FileName,Path,OrgSize,PackedSize,Ratio,Date,Time,Attr,Type,CRC\n" +
                                   std::string(input.name) + ",," + input.size +
                                   ",,,2024-01-02,03:04:06,," + type + ",\n");
        }
    }
}

TEST(CliRealIsh, EncodesListsAndRestoresOneFile) {
    TempDir work;
    std::string numbers;
    for (int i = 0; i < 4000; ++i) numbers += std::to_string(i) + "\n";
    work.Write("in/numbers.txt", numbers);
    work.Folder("texts");
    const CliResult pack = RunCli({"pack", "texts", "numbers.txt", "--kind", "ish", "--base", "in",
                                   "--ish", "jis7", "--quiet"},
                                  work.path());
    ASSERT_EQ(pack.status, 0) << pack.err;
    const fs::path text = work.path() / "texts" / "numbers.ish";
    ASSERT_TRUE(fs::exists(text));
    EXPECT_NE(ReadAll(text).find("( use jis7 ish )"), std::string::npos);

    const CliResult csv = RunCli({"list", "texts/numbers.ish", "--format", "csv"}, work.path());
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_NE(csv.out.find("\nnumbers.txt,,\"18,890\",,,"), std::string::npos) << csv.out;

    const CliResult extract =
        RunCli({"extract", "texts/numbers.ish", "--to", "out", "--quiet"}, work.path());
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(ReadAll(work.path() / "out" / "numbers.txt"), numbers);
}

TEST(CliRealIsh, AnUnrepairableTextIsAnErrorAndLeavesNothing) {
    TempDir work;
    const fs::path text = Vector("damaged/r5000-jis7-lost3-unrepairable.ish");
    const CliResult extract =
        RunCli({"extract", text.string(), "--to", "out", "--quiet"}, work.path());
    EXPECT_EQ(extract.status, 1);
    EXPECT_NE(extract.err.find("quorvex: error "), std::string::npos) << extract.err;
    EXPECT_TRUE(fs::is_empty(work.path() / "out"));
}

}  // namespace
}  // namespace quorvex6::testing
