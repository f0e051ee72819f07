// ARJ packing through the control with our writer: every file of a tree is stored whatever its
// name (no dot, a leading dot at the top or below, blanks, deep folders), with each switch on
// and off, and what was written extracts alike by our library, by arj and by 7zz.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

const Files kTree = {
    {"Makefile", "all:\n"},
    {"README", "read me\n"},
    {"a.txt", "a text\n"},
    {".top", "a dot-file at the top\n"},
    {"with space/d e.txt", "blanks\n"},
    {"with space/noext", "no extension\n"},
    {"sub/.hid", "a dot-file below\n"},
    {"sub/Makefile", "sub:\n"},
    {"sub/deep/er/est/LICENSE", "deep\n"},
    {"sub/deep/er/est/x.c", "int x;\n"},
};

Files FilesBelow(const fs::path& root) {
    Files files;
    if (!fs::exists(root)) return files;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (!item.is_regular_file()) continue;
        std::ifstream in(item.path(), std::ios::binary);
        files[fs::relative(item.path(), root).string()] =
            std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// The control does not wait for the program; the archive appears once complete.
bool AwaitArchive(const fs::path& archive) {
    for (int i = 0; i < 200 && !fs::exists(archive); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return fs::exists(archive);
}

int RunTool(const fs::path& cwd, const std::string& command) {
    return std::system(("cd '" + cwd.string() + "' && " + command + " >/dev/null 2>&1").c_str());
}

struct Case {
    const char* what;
    std::vector<std::string> options;
    std::vector<std::string> names;   // the pack list
    std::vector<std::string> stored;  // of kTree, as stored
    bool junked = false;              // stored without folders
};

class CliRealArj : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& [name, text] : kTree) work.Write("src/" + name, text);
    }
    TempDir work;
};

TEST_F(CliRealArj, EveryNameIsPackedAndReadBackAlikeByEveryReader) {
    std::vector<std::string> everything;
    for (const auto& [name, text] : kTree) everything.push_back(name);
    const Case cases[] = {
        {"all switches on, no list", {}, {}, everything},
        {"no recursion", {"--no-recurse"}, {}, {"Makefile", "README", "a.txt", ".top"}},
        {"no attributes, no time check", {"--no-hidden", "--no-time-check"}, {}, everything},
        {"folder entries and a missing name",
         {},
         {"with space", "sub", "missing.txt"},
         {"with space/d e.txt", "with space/noext", "sub/.hid", "sub/Makefile",
          "sub/deep/er/est/LICENSE", "sub/deep/er/est/x.c"}},
        {"names without folders",
         {"--no-folder-names"},
         {"sub/deep", "README", "with space/noext"},
         {"sub/deep/er/est/LICENSE", "sub/deep/er/est/x.c", "README", "with space/noext"},
         true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string archive = "out/" + std::to_string(++n) + ".arj";
        fs::create_directories(work.path() / "out");
        std::vector<std::string> args = {"pack", archive};
        args.insert(args.end(), c.names.begin(), c.names.end());
        args.insert(args.end(), {"--base", "src", "--quiet"});
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliResult pack = RunCli(args, work.path());
        ASSERT_EQ(pack.status, 0) << pack.err;
        ASSERT_TRUE(AwaitArchive(work.path() / archive));

        Files expected;
        for (const std::string& name : c.stored)
            expected[c.junked ? fs::path(name).filename().string() : name] = kTree.at(name);
        const fs::path ours = work.path() / ("ours" + std::to_string(n));
        const CliResult extract =
            RunCli({"extract", archive, "--to", ours.string(), "--quiet"}, work.path());
        EXPECT_EQ(extract.status, 0) << extract.err;
        EXPECT_EQ(FilesBelow(ours), expected);
        const CliResult list = RunCli({"list", archive, "--format", "csv"}, work.path());
        for (const auto& [name, text] : expected) {
            EXPECT_NE(list.out.find(fs::path(name).filename().string() + ","), std::string::npos)
                << name;
        }

        const fs::path by_7zz = work.path() / ("7zz" + std::to_string(n));
        EXPECT_EQ(RunTool(work.path(), "7zz x -o'" + by_7zz.string() + "' " + archive), 0);
        EXPECT_EQ(FilesBelow(by_7zz), expected);

        // arj never ends when it meets a dot-file at the top of its folder.
        Files without_top_dot = expected;
        std::string exclude;
        for (const auto& [name, text] : expected) {
            if (name.starts_with('.') && name.find('/') == std::string::npos)
                exclude += " -x" + name;
        }
        std::erase_if(without_top_dot, [](const auto& item) {
            return item.first.starts_with('.') && item.first.find('/') == std::string::npos;
        });
        const fs::path by_arj = work.path() / ("arj" + std::to_string(n));
        fs::create_directories(by_arj);
        EXPECT_EQ(RunTool(by_arj, "timeout 60 arj x -y ../" + archive + exclude), 0);
        EXPECT_EQ(FilesBelow(by_arj), without_top_dot);
    }
}

}  // namespace
}  // namespace quorvex6::testing
