// pack, extract, list and sfx of the built program against the recording fake libraries: what
// the control hands the library for each command line, and what the user sees of the outcome.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli/cli_runner.h"
#include "fakes/fake_archiver.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

bool Contains(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

class CliOperations : public ::testing::Test {
  protected:
    FakeArchiver fake;
    TempDir work;

    std::string At(const std::string& relative) const { return (work.path() / relative).string(); }
    FakeCall OnlyCall(const std::string& entry) const {
        const auto calls = fake.Calls(entry);
        EXPECT_EQ(calls.size(), 1u) << entry;
        return calls.empty() ? FakeCall{} : calls.front();
    }
};

TEST_F(CliOperations, PackNamesTheArchiveAndBaseAbsolutelyAndListsTheNames) {
    work.Write("src/a.txt", "a");
    work.Write("src/docs/b.txt", "b");
    const CliResult run =
        RunCli({"pack", "out.lzh", "a.txt", "docs", "--base", "src"}, work.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    const FakeCall call = OnlyCall("Unlha");
    EXPECT_TRUE(call.command.starts_with("u -+ ")) << call.command;
    EXPECT_TRUE(Contains(call.command, "\"" + At("out.lzh") + "\" \"" + At("src") + "/\" \"@"))
        << call.command;
    EXPECT_EQ(call.cwd, At("src"));
    ASSERT_EQ(call.lists.size(), 1u);
    EXPECT_TRUE(Contains(call.lists[0], "\"a.txt\"")) << call.lists[0];
    EXPECT_TRUE(Contains(call.lists[0], "\"docs/*.*\"")) << call.lists[0];
}

TEST_F(CliOperations, PackWithoutNamesPacksEverythingOfTheCurrentFolder) {
    const CliResult run = RunCli({"pack", "all.zip"}, work.path());
    EXPECT_EQ(run.status, 0) << run.err;
    const FakeCall call = OnlyCall("Zip");
    EXPECT_TRUE(call.command.ends_with("\"" + work.str() + "/\" *.*")) << call.command;
}

TEST_F(CliOperations, EverySwitchOptionReachesTheLibraryAsItsSwitch) {
    struct SwitchCase {
        std::vector<std::string> options;
        std::string archive;
        std::string entry;
        std::string piece;
    };
    const SwitchCase cases[] = {
        {{}, "a.lzh", "Unlha", "-r2 -x1 -a1 -jm2 "},
        {{"--no-recurse"}, "a.lzh", "Unlha", "-r0 "},
        {{"--no-folder-names"}, "a.lzh", "Unlha", " -x0 "},
        {{"--no-hidden"}, "a.lzh", "Unlha", " -a0 "},
        {{"--no-time-check"}, "a.lzh", "Unlha", " -c1 "},
        {{"--no-space-check"}, "a.lzh", "Unlha", " -f1 "},
        {{"--quiet"}, "a.lzh", "Unlha", " -n "},
        {{"--gauge"}, "a.lzh", "Unlha", " -jp1 "},
        {{"--switches", "-z9"}, "a.lzh", "Unlha", " -z9 -jm2 "},
        {{"--method", "lh7"}, "a.lzh", "Unlha", " -jm4 "},
        {{"--method", "lh0"}, "a.LHA", "Unlha", " -jm0 "},
        {{"--no-folder-names", "--quiet"}, "a.zip", "Zip", " -j -S -q "},
        {{"--method", "lzx", "--level", "18"}, "a.cab", "Cab", " -ml:18 "},
        {{"--level", "5", "--method", "quantum"}, "a.cab", "Cab", " -mq:5 "},
        {{"--method", "store", "--volume", "1440"}, "a.cab", "Cab", " -v:1440 -ms "},
        {{"--no-folder-names"}, "a.tar.gz", "Tar", " --use-directory=0"},
        {{"--kind", "tar"}, "a.bin", "Tar", "-c "},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.archive + " " + c.piece);
        fake.ClearCalls();
        std::vector<std::string> args = {"pack", c.archive};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliResult run = RunCli(args, work.path());
        EXPECT_EQ(run.status, 0) << run.err;
        const FakeCall call = OnlyCall(c.entry);
        EXPECT_TRUE(Contains(call.command, c.piece)) << call.command;
    }
}

TEST_F(CliOperations, ArjPackingSaysThatItsOutcomeIsNotKnown) {
    work.Write("bin/arj", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(work.path() / "bin/arj", std::filesystem::perms::owner_all);
    const CliResult run = RunCli({"pack", "a.arj"}, work.path(), "",
                                 {"PATH=" + At("bin") + ":" + std::getenv("PATH")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err,
              "quorvex: the arj program was started and packs on its own; its outcome is not known "
              "here\n");
}

TEST_F(CliOperations, ALibraryErrorExitsOneWithTheControlsNumberAndText) {
    fake.Return("Unlha", 0x8018);
    const CliResult run = RunCli({"pack", "a.lzh"}, work.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "quorvex: error 32792: 書庫を開く事が出来ません。\n");

    const CliResult missing = RunCli({"extract", "missing.lzh"}, work.path());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "quorvex: error 32817: ファイルが見つかりません｡\n");
}

TEST_F(CliOperations, ExtractHandsTheTargetFolderAndTheWantedNames) {
    work.Write("a.zip", "PK\x03\x04");
    work.Folder("out");
    const CliResult run = RunCli(
        {"extract", "a.zip", "x.txt", "日本/y.txt", "--to", "out", "--no-time-check"}, work.path());
    EXPECT_EQ(run.status, 0) << run.err;
    const FakeCall call = OnlyCall("UnZip");
    EXPECT_TRUE(call.command.starts_with("-x ")) << call.command;
    EXPECT_TRUE(Contains(call.command, "\"" + At("a.zip") + "\" \"" + At("out") + "/\" \"@"))
        << call.command;
    ASSERT_EQ(call.lists.size(), 1u);
    EXPECT_TRUE(Contains(call.lists[0], "\"x.txt\"\r\n\"日本/y.txt\"\r\n")) << call.lists[0];

    fake.ClearCalls();
    const CliResult here = RunCli({"extract", "../a.zip"}, work.path() / "out");
    EXPECT_EQ(here.status, 0) << here.err;
    EXPECT_TRUE(OnlyCall("UnZip").command.ends_with("\"" + At("out") + "/\" *.*"));

    // A destination that does not exist yet is made, whatever the kind.
    work.Write("a.cab", "MSCF");
    const CliResult made = RunCli({"extract", "a.cab", "--to", "new/deep"}, work.path());
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(std::filesystem::is_directory(work.path() / "new/deep"));
    EXPECT_EQ(fake.Calls("Cab").size(), 1u);
}

TEST_F(CliOperations, ADestinationThatCannotBeMadeIsNamedWithItsReason) {
    work.Write("a.zip", "PK\x03\x04");
    work.Write("file", "in the way");
    for (const std::string to : {"file", "file/sub"}) {
        SCOPED_TRACE(to);
        const CliResult run = RunCli({"extract", "a.zip", "--to", to}, work.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.starts_with("quorvex: cannot make " + to + ": ")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(fake.Calls().empty());
    }
}

TEST_F(CliOperations, APathOrNameHoldingADoubleQuoteIsRefusedAndNamedBeforeAnyCall) {
    work.Write("a.zip", "PK\x03\x04");
    work.Write("a.lzh", "");
    work.Folder("b\"ase");
    struct QuoteCase {
        std::vector<std::string> args;
        std::string cwd;
        std::string named;
    };
    const QuoteCase cases[] = {
        {{"pack", "we\"ird.zip"}, "", At("we\"ird.zip")},
        {{"pack", "a.zip", "--base", "b\"ase"}, "", At("b\"ase")},
        {{"pack", "a.zip", "na\"me.txt"}, "", "na\"me.txt"},
        {{"pack", "../a.zip"}, "b\"ase", At("b\"ase")},  // the current folder, the default base
        {{"extract", "a.zip", "--to", "o/\" \"z"}, "", At("o/\" \"z")},
        {{"extract", "a.zip", "x\"y.txt", "--to", "o"}, "", "x\"y.txt"},
        {{"sfx", "a.lzh", "--to", "b\"ase"}, "", At("b\"ase")},
    };
    for (const QuoteCase& c : cases) {
        SCOPED_TRACE(c.named);
        const CliResult run = RunCli(c.args, work.path() / c.cwd);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.starts_with("quorvex: " + c.named +
                                        ": a path holding a double quote cannot be handed to the "
                                        "library (see: quorvex "))
            << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(fake.Calls().empty());
        EXPECT_FALSE(std::filesystem::exists(work.path() / "o"));
    }
    // A listing hands the name to the library as it is, on no command line.
    work.Write("q\"uote.lzh", "");
    const CliResult list = RunCli({"list", "q\"uote.lzh"}, work.path());
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(OnlyCall("UnlhaOpenArchive").command, At("q\"uote.lzh"));
}

TEST_F(CliOperations, PackingIntoAnExistingTarTakesReplace) {
    work.Write("old.tar", "kept");
    work.Write("old.tar.gz", "kept");
    struct ReplaceCase {
        std::vector<std::string> args;
        int status;
        std::string hint;  // in the one line of a refusal
    };
    const ReplaceCase cases[] = {
        {{"pack", "old.tar"},
         2,
         "old.tar exists and tar would replace what it holds; give --replace"},
        {{"pack", "old.tar.gz", "--kind", "tar"}, 2, "give --replace"},
        {{"pack", "a.zip", "--replace"}, 2, "--replace is for tar"},
        {{"pack", "old.tar", "--replace"}, 0, ""},
        {{"pack", "new.tar"}, 0, ""},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.args[1]);
        fake.ClearCalls();
        const CliResult run = RunCli(c.args, work.path());
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.status == 0) {
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(fake.Calls("Tar").size(), 1u);
        } else {
            EXPECT_NE(run.err.find(c.hint), std::string::npos) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_TRUE(fake.Calls().empty());
        }
    }
}

TEST_F(CliOperations, TheLibrarysLinesAboutRefusedOrFailedEntriesAreShown) {
    work.Write("a.zip", "PK\x03\x04");
    fake.Print("UnZip",
               "extracted a.txt\nrefused \x1b[2J../up.txt: leads out of the destination\n"
               "skipped b.txt: not newer\nfailed c.txt: write error\nnot in the archive: d.txt\n");
    fake.Return("UnZip", 0x8030);
    const CliResult refused = RunCli({"extract", "a.zip", "--to", "o"}, work.path());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "quorvex: refused \\033[2J../up.txt: leads out of the destination\n"
              "quorvex: failed c.txt: write error\n"
              "quorvex: not in the archive: d.txt\n"
              "quorvex: error 32816: ファイルへのアクセスが許可されていません｡\n");

    // Lines about entries handled as asked say nothing the user needs.
    fake.Print("Zip", "added a.txt\nkept b.txt: not newer\n");
    const CliResult packed = RunCli({"pack", "b.zip"}, work.path());
    EXPECT_EQ(packed.status, 0);
    EXPECT_EQ(packed.err, "");
}

TEST_F(CliOperations, NamesThatAreNotUtf8ReachTheLibraryAsTheirBytes) {
    work.Write("a.zip", "PK\x03\x04");
    for (const std::string command : {"pack", "extract"}) {
        SCOPED_TRACE(command);
        fake.ClearCalls();
        const CliResult run =
            RunCli({command, "a.zip", "caf\xE9.txt", "\x83\x65.txt"}, work.path());
        EXPECT_EQ(run.status, 0) << run.err;
        const FakeCall call = OnlyCall(command == "pack" ? "Zip" : "UnZip");
        ASSERT_EQ(call.lists.size(), 1u);
        EXPECT_EQ(call.lists[0], "\"caf\xE9.txt\"\r\n\"\x83\x65.txt\"\r\n\r\n");
    }
}

TEST_F(CliOperations, KindComesFromTheArchivesNameWhateverItsCase) {
    const std::pair<std::string, std::string> cases[] = {
        {"a.lzh", "Unlha"}, {"A.LHA", "Unlha"},   {"a.zip", "Zip"},     {"a.Cab", "Cab"},
        {"a.tar", "Tar"},   {"a.tgz", "Tar"},     {"a.tar.bz2", "Tar"}, {"a.tbz2", "Tar"},
        {"a.txz", "Tar"},   {"a.tar.xz", "Tar"},  {"a.taz", "Tar"},     {"a.tar.Z", "Tar"},
        {"a.tzst", "Tar"},  {"a.tar.zst", "Tar"},
    };
    for (const auto& [archive, entry] : cases) {
        SCOPED_TRACE(archive);
        fake.ClearCalls();
        EXPECT_EQ(RunCli({"pack", archive}, work.path()).status, 0);
        EXPECT_EQ(fake.Calls(entry).size(), 1u);
    }
}

TEST_F(CliOperations, KindComesFromTheFirstBytesWhenTheNameTellsNothing) {
    struct ContentCase {
        std::string bytes;
        std::string check;
    };
    const ContentCase cases[] = {
        {std::string("\x1f\x8b\x08", 3), "TarCheckArchive"},
        {"MSCF", "CabCheckArchive"},
        {std::string("\x60\xea", 2), "UnarjCheckArchive"},
        {"Rar!\x1a\x07", "UnrarCheckArchive"},
        {std::string("\x20\x00-lh5-", 7), "UnlhaCheckArchive"},
        {std::string(1, '\0'), "UnlhaCheckArchive"},  // every member deleted
        {std::string("PK\x05\x06", 4) + std::string(18, '\0'), "UnZipCheckArchive"},  // empty
        {"From: a@b\n\n<<< x.txt for MS-DOS ( use jis7 ish ) [ 3 lines ] >>>\n", "IshCheckArchive"},
        {std::string(257, '\0') + "ustar", "TarCheckArchive"},
        {std::string("\x28\xb5\x2f\xfd", 4), "TarCheckArchive"},
    };
    for (const ContentCase& c : cases) {
        SCOPED_TRACE(c.check);
        fake.ClearCalls();
        work.Write("archive.bin", c.bytes);
        RunCli({"list", "archive.bin"}, work.path());
        EXPECT_EQ(fake.Calls(c.check).size(), 1u);
    }
    work.Write("plain.bin", "nothing in particular");
    const CliResult unknown = RunCli({"list", "plain.bin"}, work.path());
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(Contains(unknown.err, "cannot tell the kind of plain.bin")) << unknown.err;
}

class CliListing : public CliOperations {
  protected:
    void SetUp() override {
        work.Write("a.lzh", "");
        fake.Queue("Unlha", EntryRecord{"docs/readme.txt", 1234567, 617283, 0x1234ABCD, 500, 0x2AEF,
                                        0x85AF, "-rw-", "-lh5-"});
        fake.Queue("Unlha",
                   EntryRecord{"日本語.txt", 0, 0, 0xA, 0, 0x2AEF, 0x85AF, "-rw-", "-lh0-"});
        fake.Queue("Unlha", EntryRecord{"say \"hi\", then.txt", 10, 10, 0, 1000, 0x2AEF, 0x85AF,
                                        "-rw-", "-lh0-"});
    }
};

TEST_F(CliListing, TableHasAHeaderAlignedRowsAndATotalLine) {
    const CliResult run = RunCli({"list", "a.lzh"}, work.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        run.out,
        "  OrgSize  PackedSize   Ratio  Date      Time      Attr  Type   CRC   Path   FileName\n"
        "1,234,567     617,283   50.0%  01/07/15  16:45:30  -rw-  -lh5-  ABCD  docs/  readme.txt\n"
        "                         0.0%  01/07/15  16:45:30  -rw-  -lh0-  000A         日本語.txt\n"
        "       10          10  100.0%  01/07/15  16:45:30  -rw-  -lh0-  0000         say \"hi\", "
        "then.txt\n"
        "---------  ----------  ------\n"
        "1,234,577     617,293   50.0%  3 entries\n");
}

TEST_F(CliOperations, TheTableShowsControlCharactersInNamesEscapedAsGnuTarDoes) {
    work.Write("e.lzh", "");
    for (const std::string name : {"esc\x1b[31mred\x1b[0m.txt", "cr\rbel\a\ttab.txt",
                                   "c1\xC2\x9B"
                                   "del\x7F.txt",
                                   "日本\x01.txt"}) {
        fake.Queue("Unlha", EntryRecord{name, 1, 1, 0, 1000, 0x2AEF, 0x85AF, "-rw-", "-lh0-"});
    }
    const CliResult table = RunCli({"list", "e.lzh"}, work.path());
    EXPECT_EQ(table.status, 0) << table.err;
    for (const std::string shown : {"  esc\\033[31mred\\033[0m.txt\n", "  cr\\rbel\\a\\ttab.txt\n",
                                    "  c1\\302\\233del\\177.txt\n", "  日本\\001.txt\n"}) {
        EXPECT_NE(table.out.find(shown), std::string::npos) << shown << table.out;
    }
    EXPECT_EQ(std::count_if(table.out.begin(), table.out.end(),
                            [](char c) { return (c >= 0 && c < 0x20 && c != '\n') || c == 0x7F; }),
              0)
        << table.out;

    // CSV and JSON carry names as they are; JSON's own escapes already keep them safe.
    const CliResult json = RunCli({"list", "e.lzh", "--format", "json"}, work.path());
    EXPECT_NE(json.out.find("\"esc\\u001b[31mred\\u001b[0m.txt\""), std::string::npos) << json.out;
    const CliResult csv = RunCli({"list", "e.lzh", "--format", "csv"}, work.path());
    EXPECT_NE(csv.out.find("\nesc\x1b[31mred\x1b[0m.txt,"), std::string::npos) << csv.out;
}

TEST_F(CliListing, CsvAndJsonCarryTheTenFieldsByName) {
    const CliResult csv = RunCli({"list", "a.lzh", "--format", "csv"}, work.path());
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out,
              "FileName,Path,OrgSize,PackedSize,Ratio,Date,Time,Attr,Type,CRC\n"
              "readme.txt,docs/,\"1,234,567\",\"617,283\",50.0%,01/07/15,16:45:30,-rw-,-lh5-,ABCD\n"
              "日本語.txt,,,,0.0%,01/07/15,16:45:30,-rw-,-lh0-,000A\n"
              "\"say \"\"hi\"\", then.txt\",,10,10,100.0%,01/07/15,16:45:30,-rw-,-lh0-,0000\n");
    const CliResult json = RunCli({"list", "a.lzh", "--format=json"}, work.path());
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(json.out.starts_with(
        "[\n  {\"FileName\": \"readme.txt\", \"Path\": \"docs/\", \"OrgSize\": \"1,234,567\", "
        "\"PackedSize\": \"617,283\", \"Ratio\": \"50.0%\", \"Date\": \"01/07/15\", \"Time\": "
        "\"16:45:30\", \"Attr\": \"-rw-\", \"Type\": \"-lh5-\", \"CRC\": \"ABCD\"},\n"))
        << json.out;
    EXPECT_TRUE(Contains(json.out, "\"FileName\": \"say \\\"hi\\\", then.txt\"")) << json.out;
    EXPECT_TRUE(json.out.ends_with("}\n]\n"));
}

TEST_F(CliListing, AnEmptyArchiveAndAFailedListing) {
    FakeArchiver empty;
    work.Write("e.lzh", "");
    const CliResult table = RunCli({"list", "e.lzh"}, work.path());
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(table.out.ends_with(" 0.0%  0 entries\n")) << table.out;
    EXPECT_EQ(RunCli({"list", "e.lzh", "--format", "json"}, work.path()).out, "[]\n");

    empty.Return("UnlhaCheckArchive", 0);
    const CliResult refused = RunCli({"list", "e.lzh"}, work.path());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "quorvex: error 32781: ファイルを開けませんでした。\n");
}

TEST_F(CliOperations, SfxHandsTheArchiveAndTheTargetFolder) {
    work.Write("a.lzh", "");
    work.Folder("bin");
    const CliResult run =
        RunCli({"sfx", "a.lzh", "--to", "bin", "--type", "win32", "--command", "-gw"}, work.path());
    EXPECT_EQ(run.status, 0) << run.err;
    const FakeCall call = OnlyCall("Unlha");
    EXPECT_TRUE(call.command.starts_with("s ")) << call.command;
    EXPECT_TRUE(call.command.ends_with("\"" + At("a.lzh") + "\" \"" + At("bin") + "/\""))
        << call.command;

    fake.ClearCalls();
    const CliResult own = RunCli({"sfx", "a.lzh"}, work.path());
    EXPECT_EQ(own.status, 0) << own.err;
    EXPECT_TRUE(OnlyCall("Unlha").command.ends_with("\"" + work.str() + "/\""));

    work.Write("a.tar", "");
    const CliResult tar = RunCli({"sfx", "a.tar"}, work.path());
    EXPECT_EQ(tar.status, 1);
    EXPECT_EQ(tar.err, "quorvex: error 37121: サポートされていません。\n");
}

TEST_F(CliOperations, SettingsSavedByOneRunAreLoadedByTheNext) {
    const CliResult saved = RunCli(
        {"pack", "a.cab", "--method", "lzx", "--level", "19", "--quiet", "--save-props", "job.txt"},
        work.path());
    ASSERT_EQ(saved.status, 0) << saved.err;
    fake.ClearCalls();
    // The loaded kind is overridden by the archive's name; the switches stay.
    const CliResult loaded = RunCli({"pack", "b.cab", "--props", "job.txt"}, work.path());
    EXPECT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_TRUE(Contains(OnlyCall("Cab").command, " -i -ml:19 ")) << OnlyCall("Cab").command;

    fake.ClearCalls();
    const CliResult kindFromProps = RunCli({"pack", "noext", "--props", "job.txt"}, work.path());
    EXPECT_EQ(kindFromProps.status, 0) << kindFromProps.err;
    EXPECT_EQ(fake.Calls("Cab").size(), 1u);
}

TEST_F(CliOperations, SettingsThatCannotBeSavedAreReportedAfterTheOutcome) {
    work.Write("a.lzh", "");
    struct SaveCase {
        const char* what;
        std::vector<std::string> args;
        const char* failing;  // scripted to answer 0: a failed check or, for Unlha, success
        int32_t value;
        std::string out;      // what the listing printed, at its start
        std::string outcome;  // the control's error line, before the save's
    };
    const SaveCase cases[] = {
        {"list", {"list", "a.lzh"}, nullptr, 0, "OrgSize", ""},
        {"list refused",
         {"list", "a.lzh"},
         "UnlhaCheckArchive",
         0,
         "",
         "quorvex: error 32781: ファイルを開けませんでした。\n"},
        {"pack", {"pack", "b.lzh"}, nullptr, 0, "", ""},
        {"pack failed",
         {"pack", "b.lzh"},
         "Unlha",
         0x8018,
         "",
         "quorvex: error 32792: 書庫を開く事が出来ません。\n"},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.what);
        FakeArchiver scripted;
        scripted.Queue("Unlha",
                       EntryRecord{"readme.txt", 1, 1, 0, 1000, 0x2AEF, 0x85AF, "-rw-", "-lh0-"});
        if (c.failing != nullptr) scripted.Return(c.failing, c.value);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--save-props", "no/such/job.txt"});
        const CliResult run = RunCli(args, work.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out.empty(), c.out.empty()) << run.out;
        EXPECT_TRUE(run.out.starts_with(c.out)) << run.out;
        const std::string save = "quorvex: no/such/job.txt: ";
        EXPECT_TRUE(run.err.starts_with(c.outcome + save)) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), c.outcome.empty() ? 1 : 2)
            << run.err;
        EXPECT_EQ(scripted.Calls(c.args[0] == "list" ? "UnlhaCheckArchive" : "Unlha").size(), 1u);
    }
}

}  // namespace
}  // namespace quorvex6::testing
