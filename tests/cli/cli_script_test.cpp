// The script host of the built program: its grammar, its output and its instances.
#include <gtest/gtest.h>

#include <fstream>

#include "cli/cli_runner.h"
#include "fakes/fake_archiver.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

struct ScriptCase {
    std::string script;
    std::string out;
};

TEST(CliScript, LinesDispatchByNameAndPrintValuesOrErrorNumbers) {
    const ScriptCase cases[] = {
        {"get ArcMode\nget pTypeOfArc\nget swDialog\nget swGaugeProgress\nget swCommand\n",
         "0\n2\nTrue\nFalse\n\n"},
        {"set ArcMode 5\nget arcmode\n", "5\n"},
        {"set swDialog False\nget swDialog\nset swDialog True\nget swDialog\n", "False\nTrue\n"},
        {"set swCommand \"  say \"\"hi\"\"  \"\nget swCommand\n", "say \"hi\"\n"},
        {"set pArcFileName \"書庫.lzh\"\nget pArcFileName\n", "書庫.lzh\n"},
        {"set cabMultiVolume -1\nset LevelLZX 22\nset LevelLZX 21\nget LevelLZX\n",
         "error 380\nerror 380\n21\n"},
        {"set cabMultiVolume 100000\nget cabMultiVolume\n", "100000\n"},
        {"set LevelLZX 99999999999\n", "error 6\n"},
        {"set Errorstring \"x\"\nset pFilesCount 1\nset oFilesList(0) \"x\"\n",
         "error 383\nerror 383\nerror 383\n"},
        {"get pFilesList(0)\ncall pFilesClear\nget pFilesList(0)\nget pFilesList(1)\n",
         "error 9\n\nerror 9\n"},
        {"call pAddFile \"  a.txt  \"\ncall pAddFile \"b\"\nset pFilesList(1) \"c\"\nget "
         "pFilesList(1)\nget pFilesCount\n",
         "c\n2\n"},
        {"call eAddFile \"  \"\nget eFilesCount\nget eFilesList(0)\n", "1\n  \n"},
        {"get NoSuchMember\ncall pAddFile\nget Error\n", "error 438\nerror 450\n0\n"},
        {"call pAddFile 7\nget pFilesList(0)\n", "7\n"},
        {"   # a comment\n\n\t\nget Error   \r\n", "0\n"},
        {"use 0\nuse 2\nuse 1\nget Error\n", "error 9\nerror 9\n0\n"},
        // A new instance is a newly placed control: it resets the shared kind, keeps its own field.
        {"set ArcMode 3\nnew\nget ArcMode\nset ArcMode 2\nuse 1\nget ArcMode\nuse 2\nget ArcMode\n",
         "0\n3\n2\n"},
        {"set hwnd 77\nnew\nget hwnd\nset hwnd 5\nuse 1\nget hwnd\n", "0\n5\n"},
    };
    TempDir work;
    for (const ScriptCase& c : cases) {
        SCOPED_TRACE(c.script);
        const CliResult run = RunCli({"script"}, work.path(), c.script);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

TEST(CliScript, AMalformedLineStopsTheScriptWithItsLineNumber) {
    const std::string malformed[] = {
        "set ArcMode",
        "set ArcMode 1 2",
        "set ArcMode true",
        "set ArcMode \"open",
        "get",
        "get pFilesList (0)",
        "get pFilesList(x)",
        "get pFilesList(0",
        "call",
        "use",
        "use one",
        "load",
        "frob ArcMode",
        "set ArcMode --1",
        "new 2",
        "set swCommand \"\xff\"",
    };
    TempDir work;
    for (const std::string& line : malformed) {
        SCOPED_TRACE(line);
        const CliResult run =
            RunCli({"script"}, work.path(), "get ArcMode\n# note\n" + line + "\nget ArcMode\n");
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "0\n");
        EXPECT_EQ(run.err, "syntax error at line 3\n");
    }
}

TEST(CliScript, ReadsAFileAndOperationsRecordInError) {
    FakeArchiver fake;
    TempDir work;
    work.Write("job.txt", "set ArcMode 0\nset oArcFileName \"" + work.str() +
                              "/missing.lzh\"\ncall OpenFile\n"
                              "get Error\nget Errorstring\n");
    const CliResult run = RunCli({"script", "job.txt"}, work.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "32817\nファイルが見つかりません｡\n");
}

TEST(CliScript, SavesAndLoadsSettingsThroughAFile) {
    TempDir work;
    const CliResult saved = RunCli({"script"}, work.path(),
                                   "set ArcMode 2\nset LevelLZX 19\nset swCommand \"-z\"\n"
                                   "set hwnd 9\nsave settings.txt\n");
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, "");
    const CliResult loaded =
        RunCli({"script"}, work.path(),
               "load settings.txt\nget ArcMode\nget LevelLZX\nget swCommand\n"
               "get LevelQUANTUM\nnew\nget LevelLZX\nload \"settings.txt\"\nget LevelLZX\n");
    EXPECT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(loaded.out, "2\n19\n-z\n1\n15\n19\n");

    work.Write("broken.txt", "ArcMode = \"unterminated\n");
    const CliResult broken = RunCli({"script"}, work.path(),
                                    "load missing.txt\nload broken.txt\nsave " + work.str() +
                                        "/no/such/folder/s.txt\nget Error\n");
    EXPECT_EQ(broken.status, 0);
    EXPECT_EQ(broken.out, "error 53\nerror 380\nerror 75\n0\n");
    EXPECT_NE(broken.err.find("script line 1: missing.txt: no such settings file"),
              std::string::npos)
        << broken.err;
    EXPECT_NE(broken.err.find("script line 2: broken.txt: line 1:"), std::string::npos)
        << broken.err;
}

}  // namespace
}  // namespace quorvex6::testing
