// Exit statuses, usage hints and help of the built program.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_runner.h"
#include "fakes/fake_archiver.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

struct UsageCase {
    std::vector<std::string> args;
    std::string hint;  // part of the one-line message
};

TEST(CliUsage, WrongCommandLinesExitTwoWithAOneLineHint) {
    const UsageCase cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{"pack"}, "no ARCHIVE given"},
        {{"pack", "out.foo"}, "cannot tell the kind of out.foo; give --kind"},
        {{"pack", "a.zip", "--kind", "7z"}, "--kind takes lha, zip"},
        {{"pack", "a.zip", "--unknown"}, "unknown option --unknown"},
        {{"pack", "a.zip", "--base"}, "--base needs DIR"},
        {{"pack", "a.zip", "--quiet=yes"}, "--quiet takes no value"},
        {{"pack", "a.lzh", "--method", "lzx"}, "--method lzx is a cab method"},
        {{"pack", "a.cab", "--method", "lh5"}, "--method lh5 is an lha method"},
        {{"pack", "a.cab", "--method", "zstd"}, "--method takes"},
        {{"pack", "a.cab", "--level", "18"}, "--level goes with --method lzx"},
        {{"pack", "a.cab", "--method", "lzx", "--level", "22"}, "lzx takes 15..21"},
        {{"pack", "a.cab", "--level", "0", "--method", "quantum"}, "quantum takes 1..7"},
        {{"pack", "a.cab", "--volume", "-1"}, "--volume takes a size"},
        {{"pack", "a.ish", "--kind", "ish"}, "for ish, ARCHIVE is the existing folder"},
        {{"pack", "a.lzh", "--ish", "euc"}, "--ish takes"},
        {{"pack", "a.lzh", "--props", "missing.txt"},
         "--props: missing.txt: no such settings file"},
        {{"pack", "a.lzh", "--props", "."}, "--props: .: a folder, not a settings file"},
        {{"list", "a.zip", "--format", "xml"}, "--format takes table, csv or json"},
        {{"list", "a.zip", "b.zip"}, "unexpected operand b.zip"},
        {{"sfx", "a.lzh", "--type", "win64"}, "--type takes"},
        {{"extract", "a.zip", "--method", "lh5"}, "unknown option --method"},
        {{"pack", "a.zip", "--version"}, "unknown option --version"},  // before the command only
        {{"version", "--kind", "arc"}, "--kind takes"},
        {{"script", "missing.txt"}, "cannot read missing.txt"},
        {{"pack", "\xff.zip"}, "is not UTF-8"},
    };
    TempDir work;
    for (const UsageCase& c : cases) {
        const CliResult run = RunCli(c.args, work.path());
        SCOPED_TRACE(c.hint);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.hint), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find("--help"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

std::vector<std::string> OptionsIn(const std::string& help) {
    std::vector<std::string> options;
    std::istringstream lines(help);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with("  --")) options.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    return options;
}

TEST(CliUsage, EveryHelpFitsOneScreenAndNamesTheOptionsThatWork) {
    struct HelpCase {
        std::string command;
        std::vector<std::string> required;
        std::vector<std::string> absent = {};
    };
    const std::vector<std::string> switches = {
        "--kind",          "--no-recurse",     "--no-folder-names", "--no-hidden",
        "--no-time-check", "--no-space-check", "--quiet",           "--gauge",
        "--switches",      "--method",         "--level",           "--volume",
        "--ish",           "--props",          "--save-props",      "--help"};
    std::vector<std::string> pack = switches;
    pack.insert(pack.end(), {"--base", "--replace"});
    const HelpCase cases[] = {
        {"", {"--help", "--version", "before any COMMAND"}},
        {"pack", pack},
        {"extract",
         {"--to", "--kind", "--no-folder-names", "--quiet", "--switches", "--props", "--save-props",
          "tar always replaces"}},
        {"list", {"--format", "--kind", "--props", "--save-props"}},
        {"sfx", {"--to", "--type", "--command", "--kind", "--props", "--save-props"}},
        {"version", {"--kind", "every kind"}, {"from the name"}},  // it names no archive
        {"about", {"--help"}},
        {"script", {"--help"}},
    };
    TempDir work;
    for (const HelpCase& c : cases) {
        SCOPED_TRACE(c.command);
        const CliResult run =
            RunCli(c.command.empty() ? std::vector<std::string>{"--help"}
                                     : std::vector<std::string>{c.command, "--help"},
                   work.path());
        ASSERT_EQ(run.status, 0);
        EXPECT_LE(std::count(run.out.begin(), run.out.end(), '\n'), 24);
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
        for (const std::string& option : c.required) {
            EXPECT_NE(run.out.find(option), std::string::npos) << option;
        }
        for (const std::string& text : c.absent) {
            EXPECT_EQ(run.out.find(text), std::string::npos) << text;
        }
        if (c.command.empty()) continue;
        // Whatever the help names, the parser takes.
        for (const std::string& option : OptionsIn(run.out)) {
            const CliResult tried = RunCli({c.command, option}, work.path());
            EXPECT_EQ(tried.err.find("unknown option"), std::string::npos) << option;
        }
    }
}

TEST(CliUsage, VersionAndAboutNeedNoArchive) {
    FakeArchiver fake;
    TempDir work;
    const CliResult version = RunCli({"version", "--kind", "zip"}, work.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out,
              "zip Version 100\nzip Running False\nVersionZipJ 100\nRunningZipJ False\n");

    fake.Return("UnlhaGetVersion", 251);
    fake.Return("TarGetRunning", 1);
    const CliResult all = RunCli({"version"}, work.path());
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.out.find("lha Version 251\n"), std::string::npos);
    EXPECT_NE(all.out.find("tar Running True\n"), std::string::npos);
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 16);

    const CliResult about = RunCli({"about"}, work.path());
    EXPECT_EQ(about.status, 0);
    EXPECT_TRUE(about.out.starts_with("Quorvex6\nVersion ")) << about.out;
    EXPECT_EQ(about.err, "");

    const CliResult program = RunCli({"--version"}, work.path());
    EXPECT_EQ(program.status, 0);
    EXPECT_TRUE(program.out.starts_with("quorvex ")) << program.out;
}

}  // namespace
}  // namespace quorvex6::testing
